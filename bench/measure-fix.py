#!/usr/bin/env python3
"""Measures how well `tagvetter fix` mends the hand-made faults of bench/measure-faults.py:
each faulted copy of a page (the same pages and faults as that script makes with the same
seed) is given to `tagvetter fix`, its diff applied with `patch -p1`, and the mended copy
compared with the clean page.

    bench/measure-fix.py [--seed N] [--pages N] [--profile P]... [--tagvetter PATH]
                         [--jobs N] [--list-failures FILE]

For each row of faults and each profile (html5 for the current pages, html4 for the older
ones), the table gives the copies tried, those `fix` changed, those whose mended copy
checks exactly as the clean page (the same `check --format json` output), and those that
came out byte for byte the clean page. Where the clean page has problems of its own that
`fix` mends, the copy is compared with the clean page as `fix` mends it. The summary adds up the rows whose faults have a
mend that can be sure: all but a lost quote and a cell outside a table, which take a
guess to mend.
"""

import argparse
import collections
import concurrent.futures
import importlib.util
import os
import random
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
_spec = importlib.util.spec_from_file_location("measure_faults", os.path.join(ROOT, "bench", "measure-faults.py"))
faults = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(faults)

# Rows whose fault can't be undone without a guess.
GUESSES = {("lost quote", ""), ("cell outside table", "")}
PROFILE_SET = {"html5": "current", "html4": "older"}
PAGE = "page.html"


class RunFailed(Exception):
    pass


def run(command, folder, stdin=None):
    done = subprocess.run(command, cwd=folder, input=stdin, capture_output=True)
    if done.returncode not in (0, 1):
        raise RunFailed(f"{' '.join(command)} in {folder} exited with {done.returncode}: "
                        f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout


def checked(tagvetter, profile, folder):
    return run([tagvetter, "check", "--format", "json", "--profile", profile, PAGE], folder)


def write(folder, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, PAGE), "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--pages", type=int, help="pages of each set (120 current, 60 older)")
    parser.add_argument("--profile", action="append", choices=tuple(PROFILE_SET),
                        help="only this profile (may be repeated)")
    parser.add_argument("--tagvetter", default=os.path.join(ROOT, "build", "tagvetter"))
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--list-failures", metavar="FILE",
                        help="write each copy whose mend is not the clean page, with the diff")
    args = parser.parse_args()
    if not os.path.exists(args.tagvetter):
        parser.error(f"no program {args.tagvetter}")
    tagvetter = os.path.abspath(args.tagvetter)
    profiles = args.profile or list(PROFILE_SET)

    work = tempfile.TemporaryDirectory(prefix="measure-fix-")
    known = faults.known_names(tagvetter, profiles)
    sources = {"current": faults.CURRENT_SOURCES, "older": faults.OLDER_SOURCES}
    jobs = []    # (profile, page, fault)
    texts = {}
    for profile in profiles:
        set_name = PROFILE_SET[profile]
        chosen = faults.choose_pages(set_name, sources[set_name],
                                     args.pages or faults.DEFAULT_PAGES[set_name])
        for _, pages in chosen:
            for page in pages:
                with open(page, "rb") as f:
                    texts[page] = f.read().decode("latin-1")
                # The same choices as measure-faults.py makes with this seed.
                rng = random.Random(f"{args.seed}:{page}")
                rows = faults.faults_of(texts[page], *known, seed=f"{args.seed}:{page}:names")
                for row in faults.ROWS:
                    candidates = rows.get(row, [])
                    jobs += [(profile, page, fault) for fault in rng.sample(candidates, min(1, len(candidates)))]
    print(f"seed {args.seed}, {len(jobs)} faulted copies\n")

    def fixed(folder, text):
        """The page `text` written to `folder`, mended there: (diff, mended bytes, check)."""
        write(folder, text.encode("latin-1"))
        diff = run([tagvetter, "fix", "--profile", profile_of[folder], PAGE], folder)
        if diff:
            done = subprocess.run(["patch", "-p1", "-s", "--no-backup-if-mismatch"], cwd=folder, input=diff,
                                  capture_output=True)
            if done.returncode != 0:
                raise RunFailed(f"patch in {folder} failed: {done.stdout.decode(errors='replace')}")
        with open(os.path.join(folder, PAGE), "rb") as f:
            mended = f.read()
        return diff, mended, checked(tagvetter, profile_of[folder], folder)

    # A clean page may have problems of its own that fix mends: the copy is compared with
    # the clean page as fix leaves it (the clean page itself where fix changes nothing).
    profile_of = {}
    cleans = sorted({(profile, page) for profile, page, _ in jobs})
    for number, (profile, page) in enumerate(cleans):
        profile_of[os.path.join(work.name, "clean", str(number))] = profile
    for number in range(len(jobs)):
        profile_of[os.path.join(work.name, "copies", str(number))] = jobs[number][0]

    def mend_clean(number, key):
        return key, fixed(os.path.join(work.name, "clean", str(number)), texts[key[1]])

    def mend(number, job):
        profile, page, fault = job
        diff, mended, check = fixed(os.path.join(work.name, "copies", str(number)), fault.apply(texts[page]))
        _, clean, clean_check = clean_mends[(profile, page)]
        return bool(diff), check == clean_check, mended == clean, diff.decode("latin-1")

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        clean_mends = dict(pool.map(mend_clean, range(len(cleans)), cleans))
        results = list(pool.map(mend, range(len(jobs)), jobs))
    for profile in profiles:
        pages = [key for key in cleans if key[0] == profile]
        changed = sum(1 for key in pages if clean_mends[key][0])
        print(f"{profile}: fix changes {changed} of the {len(pages)} clean pages")
    print()

    failures = []
    for profile in profiles:
        rows = collections.defaultdict(lambda: [0, 0, 0, 0])
        for (p, page, fault), (changed, same, identical, diff) in zip(jobs, results):
            if p != profile:
                continue
            counts = rows[fault.row]
            for i, v in enumerate((1, changed, same, identical)):
                counts[i] += v
            if not identical:
                failures.append((profile, page, fault, same, diff))
        print(f"{profile} ({PROFILE_SET[profile]} pages)")
        print(f"  {'fault':<34} {'pages':>6} {'changed':>8} {'same check':>11} {'identical':>10}")
        for row in faults.ROWS:
            if row in rows:
                tried, changed, same, identical = rows[row]
                label = f"{row[0]}: {row[1]}" if row[1] else row[0]
                print(f"  {label:<34} {tried:>6} {100 * changed / tried:>7.1f}% {100 * same / tried:>10.1f}% "
                      f"{100 * identical / tried:>9.1f}%")
        sure = [sum(c[i] for r, c in rows.items() if r not in GUESSES) for i in range(4)]
        if sure[0]:
            print(f"  {'every fault with a sure mend':<34} {sure[0]:>6} {100 * sure[1] / sure[0]:>7.1f}% "
                  f"{100 * sure[2] / sure[0]:>10.1f}% {100 * sure[3] / sure[0]:>9.1f}%")
        print()

    if args.list_failures:
        with open(args.list_failures, "w", encoding="utf-8") as out:
            for profile, page, fault, same, diff in failures:
                label = f"{fault.cls}: {fault.sub}" if fault.sub else fault.cls
                out.write(f"== {profile} {page} [{label}] {fault.what} "
                          f"({'same check' if same else 'other check'})\n{diff}\n")
        print(f"{len(failures)} copies not mended to the clean page written to {args.list_failures}")


if __name__ == "__main__":
    try:
        main()
    except (RunFailed, faults.CheckFailed) as failure:
        sys.exit(f"measure-fix: {failure}")
