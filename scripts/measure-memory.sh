#!/usr/bin/env bash
# Peak resident memory of every tagvetter command, against its bound: the document's size,
# plus its longest tag, plus 32 MB. The program holds the text once and collects one tag at
# a time beside it, whole; for an ordinary page the tag is nothing and the bound is the
# size + 32 MB.
#
#   scripts/measure-memory.sh [MB ...]     generated pages of these sizes (default 1 16 64 256),
#                                          and a document that is one tag of 64 MB
#
# Then the same for every hostile document (tests/hostile), with the time of each run and
# what it gave. Fails when a run exceeds its bound or ends other than with its own status
# (0, or 1 for check with problems). Set HOSTILE=0 to leave the hostile documents out.
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(1 16 64 256)

./scripts/build.sh native >/dev/null
exe=build/tagvetter
generator=build/tests/hostile/hostile_inputs

work=$(mktemp -d "${TMPDIR:-/tmp}/tagvetter-memory-XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0

# Runs one command on one file under GNU time; prints "status seconds peak-KiB summary".
run_measured() {
  local file=$1
  shift
  local status=0
  /usr/bin/time -f '%e %M' -o "$work/time" "$exe" "$@" "$file" >"$work/out" 2>"$work/err" || status=$?
  local summary
  if [ "$1" = check ]; then
    summary="$(wc -l <"$work/out") lines: $(head -c 60 "$work/out" | head -n 1 | tr '\t' ' ')"
  else
    summary="$(wc -l <"$work/out") lines, $(head -n 1 "$work/err")"
  fi
  # GNU time writes a note before its figures when the command ended with a status.
  read -r seconds kib < <(tail -n 1 "$work/time")
  echo "$status $seconds $kib $summary"
}

# Measures every command on FILE against its bound; prints table rows.
measure_file() {
  local label=$1 file=$2 name=$3
  local bytes longest bound_kib
  bytes=$(stat -c %s "$file")
  longest=$("$exe" tags "$file" 2>&1 >/dev/null | sed -n 's/^Longest: //p')
  bound_kib=$(( (bytes + ${longest:-0} + 1023) / 1024 + 32 * 1024 ))
  for command in count check tags "tag $name"; do
    # shellcheck disable=SC2086  # "tag NAME" is two words on purpose
    read -r status seconds kib summary < <(run_measured "$file" $command)
    local verdict=ok
    if [ "$kib" -gt "$bound_kib" ]; then verdict=OVER; fi
    case "$command:$status" in
      count:0|tags:0|tag*:0|check:0|check:1) ;;
      *) verdict="exit $status"; ;;
    esac
    [ "$verdict" = ok ] || failures=$((failures + 1))
    printf '%-28s %-10s %4s %8s %9.1f %9.1f  %-4s %s\n' "$label" "${command:0:10}" "$status" "$seconds" \
      "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" "$(awk -v k="$bound_kib" 'BEGIN { print k / 1024 }')" \
      "$verdict" "$summary"
  done
}

header() {
  printf '%-28s %-10s %4s %8s %9s %9s  %-4s %s\n' input command exit seconds 'peak MiB' 'bound MiB' verdict result
}

echo "== Generated pages"
header
for mb in "${sizes[@]}"; do
  "$generator" --page "$mb" "$work/page.htm"
  measure_file "page ${mb} MB" "$work/page.htm" td
  rm -f "$work/page.htm"
done
"$generator" --one-tag 64 "$work/tag.htm"
measure_file "one tag of 64 MB" "$work/tag.htm" a
rm -f "$work/tag.htm"

if [ "${HOSTILE:-1}" != 0 ]; then
  echo
  echo "== Hostile documents"
  header
  mkdir -p "$work/hostile"
  "$generator" "$work/hostile" >/dev/null
  for file in "$work"/hostile/*.htm; do
    measure_file "$(basename "$file" .htm)" "$file" b
  done
  available_mb=$(awk '/^MemAvailable:/ { print int($2 / 1024) }' /proc/meminfo)
  if [ "$available_mb" -gt 2048 ] && "$generator" --sparse "$work/nuls.htm"; then
    measure_file "sparse_1gb_nuls" "$work/nuls.htm" b
  else
    echo "sparse_1gb_nuls: left out (needs 2 GB of free memory and a sparse file in $work)"
  fi
fi

echo
if [ "$failures" -ne 0 ]; then
  echo "measure-memory: $failures run(s) over the bound or with an unexpected exit status" >&2
  exit 1
fi
echo "measure-memory: every run within its document's size + its longest tag + 32 MB"
