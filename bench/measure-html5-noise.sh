#!/usr/bin/env bash
# Measures how many problems `tagvetter check` reports on 150 current HTML5 pages of this
# machine's toolchain documentation: the total, the average per page, the pages with the
# most, the kinds, and the most frequent problems.
#
#   bench/measure-html5-noise.sh [CHECK OPTIONS...]     e.g. --profile html5
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

# One run over every page; its JSON lines carry each problem's page and kind.
problems=$(mktemp)
trap 'rm -f "$problems"' EXIT
status=0
"$tagvetter" check --format json "$@" "${pages[@]}" > "$problems" 2>/dev/null || status=$?
if [ $status -gt 1 ]; then
    echo "measure-html5-noise: tagvetter check $* failed with status $status" >&2
    exit 1
fi

field() { grep -o "\"$1\":\"[^\"]*\"" "$problems" | cut -d'"' -f4; }
total=$(wc -l < "$problems")
noisy=$(field path | sort -u | wc -l)
echo "pages: ${#pages[@]}   problem lines: $total   per page: $(awk -v t="$total" -v n=${#pages[@]} 'BEGIN { printf "%.2f", t / n }')"
echo "pages with no problem: $((${#pages[@]} - noisy))"
echo
echo "noisiest pages:"
field path | sort | uniq -c | sort -rn | head -n "${PAGES:-5}"
echo
echo "problems by kind:"
field kind | sort | uniq -c | sort -rn
echo
echo "most frequent problems:"
field message | sort | uniq -c | sort -rn | head -n 15
