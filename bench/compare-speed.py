#!/usr/bin/env python3
"""Compares the speed of two builds' in-process benchmarks, run side by side.

    bench/compare-speed.py OLD_BENCH NEW_BENCH [--runs N] [--filter REGEX] [-- BENCH_ARGS...]

OLD_BENCH and NEW_BENCH are two builds of one Google Benchmark program (analysis_bench or
lsp_bench, e.g. of the previous commit and of this one). They run in turns, OLD then NEW,
N times each (default 10), so that the machine's moods fall on both alike; each benchmark's
median time per iteration is compared. Prints one line per benchmark: the two medians and
NEW / OLD (below 1: NEW is faster). Exits 1 when a benchmark is missing from one build.
"""
import argparse
import json
import statistics
import subprocess
import sys


def run_once(program, filter_regex, extra):
    command = [program, "--benchmark_format=json", "--benchmark_filter=" + filter_regex] + extra
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return {b["name"]: b["real_time"] for b in json.loads(output)["benchmarks"] if b.get("run_type") != "aggregate"}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--filter", default=".")
    parser.add_argument("extra", nargs="*")
    args = parser.parse_args()

    times = {"old": {}, "new": {}}
    for _ in range(args.runs):
        for side, program in (("old", args.old), ("new", args.new)):
            for name, value in run_once(program, args.filter, args.extra).items():
                times[side].setdefault(name, []).append(value)

    missing = sorted(set(times["old"]) ^ set(times["new"]))
    for name in missing:
        print(f"compare-speed: {name} is in one build only", file=sys.stderr)
    print(f"{'benchmark':32} {'old (median)':>14} {'new (median)':>14} {'new/old':>8}")
    for name in sorted(set(times["old"]) & set(times["new"]), key=list(times["old"]).index):
        old = statistics.median(times["old"][name])
        new = statistics.median(times["new"][name])
        print(f"{name:32} {old:14.3f} {new:14.3f} {new / old:8.3f}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
