#!/usr/bin/env bash
# Measures the whole tagvetter process on a large generated document: wall time and
# peak resident memory of `check`, `count` and `tags`, best of RUNS runs (default 3).
#
#   scripts/measure-cli.sh [MB]      (default 50; the document is kept in build/)
#
# The figures are reported beside the targets, never asserted: they depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."

mb=${1:-50}
runs=${RUNS:-3}
seed=1

if [ ! -x /usr/bin/time ]; then
    echo "measure-cli: /usr/bin/time is missing; scripts/install-deps.sh installs it (package time)" >&2
    exit 1
fi
./scripts/build.sh native >/dev/null

documents=build/bench/documents
document=$documents/document-${mb}mb-seed${seed}.htm
if [ ! -f "$document" ]; then
    mkdir -p "$documents"
    echo "Writing $document"
    python3 bench/make_document.py "$document" "$mb" "$seed"
fi
bytes=$(stat -c %s "$document")

# One run: prints "seconds peak-KiB". GNU time gives the peak; the wall time is taken
# around it in nanoseconds, since its own %e has steps of 10 ms, a tenth of a run here.
# Output goes nowhere: the process's own work is measured, not a terminal's or a disk's.
# check exits 1 when it finds problems.
measure_once() {
    local timing start stop
    timing=$(mktemp)
    start=$(date +%s%N)
    /usr/bin/time -f '%e %M' -o "$timing" build/tagvetter "$1" "$document" >/dev/null 2>&1 || true
    stop=$(date +%s%N)
    awk -v ns=$((stop - start)) '{ k = $2 } END { printf "%.3f %d\n", ns / 1e9, k }' "$timing"
    rm -f "$timing"
}

awk -v b="$bytes" -v f="$document" 'BEGIN { printf "document %s: %d bytes (%.1f MiB)\n\n", f, b, b / 1048576 }'
printf '%-6s %8s %8s %12s %18s\n' command 'wall s' 'MiB/s' 'peak RSS MiB' 'RSS - file MiB'
for command in check count tags; do
    best_wall=""
    peak=0
    for ((run = 0; run < runs; run++)); do
        read -r wall kib < <(measure_once "$command")
        if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
            best_wall=$wall
        fi
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    awk -v c="$command" -v w="$best_wall" -v k="$peak" -v b="$bytes" 'BEGIN {
        rate = w > 0 ? b / 1048576 / w : 0
        printf "%-6s %8.3f %8.0f %12.1f %18.1f\n", c, w, rate, k / 1024, k / 1024 - b / 1048576
    }'
done
echo
echo "Targets: check and count peak RSS <= file size + 32 MiB. Analysis throughput, measured"
echo "without the process around it, is build/bench/analysis_bench's (countTags and"
echo "checkDocument >= 500 MB/s, listTags into memory >= 200 MB/s)."
