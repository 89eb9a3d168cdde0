#!/usr/bin/env bash
# Measures how many problem lines `tagvetter check` prints on 150 current HTML5 pages of
# this machine's toolchain documentation: the total, the average per page, the pages
# with the most, and the most frequent problems.
#
#   scripts/measure-html5-noise.sh [CHECK OPTIONS...]     e.g. --profile html5
#
# The pages: every .html file under /usr/share/doc/cmake-data (Debian package cmake-doc),
# /usr/share/doc/python3.11 (python3.11-doc) and /usr/share/doc/nodejs (the nodejs
# package's API documentation) whose first 300 bytes hold "<!DOCTYPE html>" (letter case
# ignored), sorted by path; from each of the three, 50 pages evenly spread over its list.
# LIST=FILE writes the chosen paths to FILE; PAGES=N prints the N noisiest pages (5).
set -euo pipefail
cd "$(dirname "$0")/.."

tagvetter=build/tagvetter
[ -x "$tagvetter" ] || ./scripts/build.sh native >/dev/null

per_source=50
pages=()
for source in cmake-data python3.11 nodejs; do
    html5=()
    while IFS= read -r f; do
        head -c 300 "$f" | grep -qi '<!doctype html>' && html5+=("$f")
    done < <(find "/usr/share/doc/$source" -name '*.html' | LC_ALL=C sort)
    if [ ${#html5[@]} -lt $per_source ]; then
        echo "measure-html5-noise: /usr/share/doc/$source holds ${#html5[@]} HTML5 pages, $per_source needed" >&2
        exit 1
    fi
    for ((i = 0; i < per_source; ++i)); do
        pages+=("${html5[i * ${#html5[@]} / per_source]}")
    done
done
[ -n "${LIST:-}" ] && printf '%s\n' "${pages[@]}" > "$LIST"

lines=$(mktemp)
counts=$(mktemp)
trap 'rm -f "$lines" "$counts"' EXIT
for page in "${pages[@]}"; do
    status=0
    "$tagvetter" check "$@" "$page" > "$lines.page" || status=$?
    if [ $status -gt 1 ]; then
        echo "measure-html5-noise: tagvetter check $* $page failed with status $status" >&2
        exit 1
    fi
    # "No errors found" is not a problem line.
    n=$(grep -vcx 'No errors found' "$lines.page" || true)
    echo "$n $page" >> "$counts"
    # The problem without its line label, so equal problems on different lines group.
    grep -vx 'No errors found' "$lines.page" | sed 's/^[0-9]\{4,\}  //' >> "$lines" || true
done
rm -f "$lines.page"

total=$(awk '{ s += $1 } END { print s + 0 }' "$counts")
echo "pages: ${#pages[@]}   problem lines: $total   per page: $(awk -v t="$total" -v n=${#pages[@]} 'BEGIN { printf "%.2f", t / n }')"
echo "pages with no problem: $(awk '$1 == 0' "$counts" | wc -l)"
echo
echo "noisiest pages:"
sort -rn "$counts" | head -n "${PAGES:-5}" | sed 's/^/  /'
echo
echo "most frequent problems:"
sed 's/.* - //; s/^[^\t]*\tUnbalanced tags.*/Unbalanced tags/' "$lines" | sort | uniq -c | sort -rn | head -n 8 | sed 's/^/  /'
echo
echo "most frequent lines:"
sort "$lines" | uniq -c | sort -rn | head -n 15 | sed 's/^/  /'
