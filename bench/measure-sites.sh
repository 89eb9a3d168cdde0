#!/usr/bin/env bash
# Measures whole runs of the command line against their peers, side by side in one run,
# and prints each figure with its ratio and the versions of the peers:
#
#  - one 50 MiB HTML 3.2 page (make_document.py): `tagvetter check` and `tagvetter count`
#    against `tidy -q -e` and `wc -l` (the speed of reading every byte), with peak memory;
#  - one 50 MiB current page made of the noise benchmark's pages (make_page_of_pages.py):
#    `tagvetter check --profile html5` against `wc -l`, with peak memory;
#  - a site of 5,000 real-world pages (the HTML documentation this machine's Debian
#    packages ship): `tagvetter check DIR`, `check --profile html5 DIR` and `links DIR`
#    against ripgrep counting the tags (`rg -c '<[a-zA-Z/!]'`: every byte read, in
#    parallel), one `tagvetter check` process per file, `cat` over the same files, and
#    `tidy -q -e` run once per file; two jobs against one.
#
#   bench/measure-sites.sh            (as root on a machine with fewer than 5,000 pages
#                                      under /usr/share/doc: installs documentation)
#   BEFORE=OLD/tagvetter bench/measure-sites.sh
#                                     also times an older build on the same commands,
#                                     and the way it had to be used, one process a page
#
# tidy, wc and ripgrep are timed as opaque peers only. The commands of a second or less
# are timed as the best of RUNS runs (default 5), the others once; the two sides of a
# ratio that compares two such commands are run in turn. Every output goes to
# /dev/null: the programs' own work is measured, not a terminal's or a disk's. The
# figures depend on the machine and on what else runs on it; they are reported, never
# asserted.
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
./scripts/install-deps.sh tidy time ripgrep
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
current=build/bench/documents/current-50mb.html
if [ ! -f "$current" ]; then
    mkdir -p "$(dirname "$current")"
    python3 bench/make_page_of_pages.py current "$current" 50
fi

# Wall seconds of one command (a shell command line), its output thrown away.
seconds() {
    local start stop
    start=$(date +%s%N)
    bash -c "$1" >/dev/null 2>&1 || true
    stop=$(date +%s%N)
    awk -v ns=$((stop - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# The best of RUNS (default 5) runs, for the commands that take a second or less: one run
# of those is at the mercy of whatever else the machine does for that moment.
best_seconds() {
    local best="" t
    for ((run = 0; run < ${RUNS:-5}; run++)); do
        t=$(seconds "$1")
        if [ -z "$best" ] || less_than "$t" "$best"; then best=$t; fi
    done
    echo "$best"
}

# The best of RUNS runs of each of two commands, run in turn, as "FIRST SECOND": this
# machine's pace drifts from minute to minute, and a ratio of two figures taken minutes
# apart would measure the drift.
best_pair() {
    local first="" second="" t
    for ((run = 0; run < ${RUNS:-5}; run++)); do
        t=$(seconds "$1")
        if [ -z "$first" ] || less_than "$t" "$first"; then first=$t; fi
        t=$(seconds "$2")
        if [ -z "$second" ] || less_than "$t" "$second"; then second=$t; fi
    done
    echo "$first $second"
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
cat "$document" "$current" >/dev/null

version() { dpkg-query -W -f '${Version}' "$1" 2>/dev/null || echo unknown; }
echo "Peers: tidy $(version tidy), ripgrep $(version ripgrep), coreutils (wc) $(version coreutils);" \
    "tagvetter $(git describe --always --dirty 2>/dev/null || echo unknown)"

# One page: each tagvetter command beside wc -l, and tidy where given; peak memory above
# the page's size.
page() {
    local file=$1 tidy_too=$2
    shift 2
    local bytes t_wc t_tidy=""
    bytes=$(stat -c %s "$file")
    echo
    echo "Page: $file, $bytes bytes"
    t_wc=$(best_seconds "wc -l $file")
    printf '  %-44s %8s s\n' "wc -l FILE" "$t_wc"
    [ "$tidy_too" = tidy ] && t_tidy=$(seconds "tidy -q -e $file") && printf '  %-44s %8s s\n' "tidy -q -e FILE" "$t_tidy"
    local command t m
    for command in "$@"; do
        local tb=""
        if [ -n "${BEFORE:-}" ]; then
            read -r t tb < <(best_pair "$tagvetter $command $file" "$BEFORE $command $file")
        else
            t=$(best_seconds "$tagvetter $command $file")
        fi
        m=$(peak_kib "$tagvetter $command $file")
        printf '  %-44s %8s s   %s x wc -l' "tagvetter $command FILE" "$t" "$(ratio "$t" "$t_wc")"
        [ -n "$t_tidy" ] && printf ',  tidy / this %sx' "$(ratio "$t_tidy" "$t")"
        awk -v m="$m" -v b="$bytes" 'BEGIN { printf ",  peak %.1f MiB above the file\n", m / 1024 - b / 1048576 }'
        if [ -n "$tb" ]; then
            printf '  %-44s %8s s   this build %sx as fast\n' "before: $command FILE" "$tb" "$(ratio "$tb" "$t")"
        fi
    done
}
page "$document" tidy check count tags
echo "  targets: tidy / check >= 100, tidy / count >= 150; peak <= 8 MiB above the file"
page "$current" no "check --profile html5" count tags
echo "  aim: check --profile html5 <= 4 x wc -l; peak <= 8 MiB above the file"

echo
echo "Site: $site, $pages pages, $site_bytes bytes ($found HTML files under /usr/share/doc)"
read -r t_dir t_links < <(best_pair "$tagvetter check $site" "$tagvetter links $site")
read -r t_dir5 t_rg < <(best_pair "$tagvetter check --profile html5 $site" "rg -c '<[a-zA-Z/!]' $site")
read -r t_dir_j1 t_dir_j2 < <(best_pair "$tagvetter check -j1 $site" "$tagvetter check -j2 $site")
t_cat=$(best_seconds "xargs -0 cat <$list")
t_each=$(seconds "xargs -0 -n1 $tagvetter check <$list")
t_tidy_each=$(seconds "xargs -0 -n1 tidy -q -e <$list")
printf '  %-44s %8s s\n' "tagvetter check DIR" "$t_dir" \
    "tagvetter check --profile html5 DIR" "$t_dir5" \
    "tagvetter links DIR" "$t_links" \
    "rg -c '<[a-zA-Z/!]' DIR" "$t_rg" \
    "xargs -n1 tagvetter check (one process a page)" "$t_each" \
    "xargs cat" "$t_cat" \
    "xargs -n1 tidy -q -e" "$t_tidy_each" \
    "tagvetter check -j1 DIR" "$t_dir_j1" \
    "tagvetter check -j2 DIR" "$t_dir_j2"
links_kib=$(peak_kib "$tagvetter links $site")
echo "  links DIR peak memory: $links_kib KiB, $(awk -v m="$links_kib" -v p="$pages" 'BEGIN { printf "%.0f", m * 1024 / p }') bytes a page"
if [ -n "${BEFORE:-}" ]; then
    read -r t_dir5_paired t_before_dir5 < <(best_pair "$tagvetter check --profile html5 $site" "$BEFORE check --profile html5 $site")
    read -r t_before_dir t_before_links < <(best_pair "$BEFORE check $site" "$BEFORE links $site")
    t_before_each=$(seconds "xargs -0 -n1 $BEFORE check <$list")
    printf '  %-44s %8s s\n' "before: check --profile html5 DIR" "$t_before_dir5" \
        "before: links DIR" "$t_before_links" \
        "before: xargs -n1 $BEFORE check" "$t_before_each"
    echo "  check --profile html5 DIR, this build / before: $(ratio "$t_before_dir5" "$t_dir5_paired")x as fast"
    echo "  before, links DIR / check DIR:   $(ratio "$t_before_links" "$t_before_dir")x"
fi
echo "  check --profile html5 DIR / rg:  $(ratio "$t_dir5" "$t_rg")x   (aim <= 4)"
echo "  links DIR / check DIR:           $(ratio "$t_links" "$t_dir")x   (target <= 1.5)"
echo "  one process a page / check DIR:  $(ratio "$t_each" "$t_dir")x   (target >= 20)"
echo "  check DIR / cat:                 $(ratio "$t_dir" "$t_cat")x   (target <= 3)"
echo "  tidy a page / check DIR:         $(ratio "$t_tidy_each" "$t_dir")x   (target >= 40)"
echo "  -j2 throughput / -j1:            $(ratio "$t_dir_j1" "$t_dir_j2")x   (target >= 1.7)"
