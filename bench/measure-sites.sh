#!/usr/bin/env bash
# Measures whole runs of the command line against their peers, side by side in one run,
# and prints each figure with its ratio:
#
#  - a site of 5,000 real-world pages (the HTML documentation this machine's Debian
#    packages ship): `tagvetter check DIR` against one `tagvetter check` process per
#    file, `cat` over the same files, and `tidy -q -e` run once per file;
#  - one 50 MiB generated page: `tagvetter check` and `tagvetter count` against
#    `tidy -q -e`, with their peak memory;
#  - two jobs against one over the site.
#
#   bench/measure-sites.sh            (as root on a machine with fewer than 5,000 pages
#                                      under /usr/share/doc: installs documentation)
#   BEFORE=OLD/tagvetter bench/measure-sites.sh
#                                     also times an older build the way it had to be used,
#                                     one process a page, and on the 50 MiB page
#
# tidy is timed as an opaque peer only. The commands of a second or less are timed as
# the best of RUNS runs (default 3), the others once. Every output goes to /dev/null: the programs' own
# work is measured, not a terminal's or a disk's. The figures depend on the machine and
# on what else runs on it; they are reported, never asserted.
set -euo pipefail
cd "$(dirname "$0")/.."

pages=5000
# Documentation packages of Debian's main archive whose HTML brings /usr/share/doc past
# 5,000 pages: Python's, CMake's, PostgreSQL's and libstdc++'s manuals.
doc_packages=(python3-doc cmake-doc postgresql-doc-15 libstdc++-12-doc)

html_files() {
    find /usr/share/doc -type f \( -iname '*.htm' -o -iname '*.html' \) -print0 | sort -z
}

found=$(html_files | tr -cd '\0' | wc -c)
if [ "$found" -lt "$pages" ]; then
    ./scripts/install-deps.sh "${doc_packages[@]}"
    found=$(html_files | tr -cd '\0' | wc -c)
fi
./scripts/install-deps.sh tidy time
./scripts/build.sh native >/dev/null
tagvetter=build/tagvetter

list=$(mktemp)
trap 'rm -f "$list"' EXIT

# The first 5,000 pages in byte order, copied into one folder as their packages lay them out.
site=build/bench/site
if [ ! -f "$site.complete" ]; then
    rm -rf "$site"
    mkdir -p "$site"
    html_files >"$list"
    head -z -n "$pages" "$list" | xargs -0 cp --parents -t "$site"
    touch "$site.complete"
fi
find "$site" -type f -print0 | sort -z >"$list"
site_bytes=$(xargs -0 cat <"$list" | wc -c)

document=build/bench/documents/document-50mb-seed1.htm
if [ ! -f "$document" ]; then
    mkdir -p "$(dirname "$document")"
    python3 bench/make_document.py "$document" 50 1
fi

# Wall seconds of one command (a shell command line), its output thrown away.
seconds() {
    local start stop
    start=$(date +%s%N)
    bash -c "$1" >/dev/null 2>&1 || true
    stop=$(date +%s%N)
    awk -v ns=$((stop - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

# The best of RUNS (default 3) runs, for the commands that take a second or less: one run
# of those is at the mercy of whatever else the machine does for that moment.
best_seconds() {
    local best="" t
    for ((run = 0; run < ${RUNS:-3}; run++)); do
        t=$(seconds "$1")
        if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    done
    echo "$best"
}

# Peak resident KiB of one command.
peak_kib() {
    local timing
    timing=$(mktemp)
    /usr/bin/time -f '%M' -o "$timing" bash -c "$1" >/dev/null 2>&1 || true
    tail -n 1 "$timing"
    rm -f "$timing"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }'; }

# Warm the page cache so that no side pays for the disk.
xargs -0 cat <"$list" >/dev/null
cat "$document" >/dev/null

echo "Site: $site, $pages pages, $site_bytes bytes ($found HTML files under /usr/share/doc)"
t_dir=$(best_seconds "$tagvetter check $site")
t_dir_j1=$(best_seconds "$tagvetter check -j1 $site")
t_dir_j2=$(best_seconds "$tagvetter check -j2 $site")
t_cat=$(best_seconds "xargs -0 cat <$list")
t_each=$(seconds "xargs -0 -n1 $tagvetter check <$list")
t_tidy_each=$(seconds "xargs -0 -n1 tidy -q -e <$list")
printf '  %-44s %8s s\n' "tagvetter check DIR" "$t_dir" \
    "xargs -n1 tagvetter check (one process a page)" "$t_each" \
    "xargs cat" "$t_cat" \
    "xargs -n1 tidy -q -e" "$t_tidy_each" \
    "tagvetter check -j1 DIR" "$t_dir_j1" \
    "tagvetter check -j2 DIR" "$t_dir_j2"
if [ -n "${BEFORE:-}" ]; then
    t_before_each=$(seconds "xargs -0 -n1 $BEFORE check <$list")
    printf '  %-44s %8s s\n' "before: xargs -n1 $BEFORE check" "$t_before_each"
    echo "  before, one process a page / check DIR: $(ratio "$t_before_each" "$t_dir")x"
fi
echo "  one process a page / check DIR:  $(ratio "$t_each" "$t_dir")x   (target >= 20)"
echo "  check DIR / cat:                 $(ratio "$t_dir" "$t_cat")x   (target <= 3)"
echo "  tidy a page / check DIR:         $(ratio "$t_tidy_each" "$t_dir")x   (target >= 40)"
echo "  -j2 throughput / -j1:            $(ratio "$t_dir_j1" "$t_dir_j2")x   (target >= 1.7)"

bytes=$(stat -c %s "$document")
echo
echo "Page: $document, $bytes bytes"
t_check=$(best_seconds "$tagvetter check $document")
t_count=$(best_seconds "$tagvetter count $document")
t_tidy=$(seconds "tidy -q -e $document")
m_check=$(peak_kib "$tagvetter check $document")
m_count=$(peak_kib "$tagvetter count $document")
printf '  %-44s %8s s\n' "tagvetter check FILE" "$t_check" "tagvetter count FILE" "$t_count" "tidy -q -e FILE" "$t_tidy"
if [ -n "${BEFORE:-}" ]; then
    t_before_check=$(best_seconds "$BEFORE check $document")
    t_before_count=$(best_seconds "$BEFORE count $document")
    printf '  %-44s %8s s\n' "before: check FILE" "$t_before_check" "before: count FILE" "$t_before_count"
    echo "  before, tidy / check: $(ratio "$t_tidy" "$t_before_check")x, tidy / count: $(ratio "$t_tidy" "$t_before_count")x"
fi
echo "  tidy / check:                    $(ratio "$t_tidy" "$t_check")x   (target >= 40)"
echo "  tidy / count:                    $(ratio "$t_tidy" "$t_count")x   (target >= 60)"
awk -v c="$m_check" -v n="$m_count" -v b="$bytes" 'BEGIN {
    printf "  peak memory above the size of the file: check %.1f MiB, count %.1f MiB   (target <= 32)\n",
        c / 1024 - b / 1048576, n / 1024 - b / 1048576 }'
