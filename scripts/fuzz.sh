#!/usr/bin/env bash
# Builds the fuzz targets (in the sanitizer tree, build-asan/, with clang and libFuzzer) and
# runs each for SECONDS (default 30). Fails on any crash, leak, timeout or broken property,
# and prints the executions of every target. A failing input is left in build-asan/fuzz/findings/.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
case "$seconds" in
  ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac

targets=(find_tag tag_reader tag_scanner page_links url_check check_document character_check count_tags list_tags cli lsp_messages site_config fix)
tree=build-asan/fuzz

./scripts/build.sh sanitize >/dev/null

# One target a core at a time; each writes its row, and the rows are printed in order.
fuzz_one() {
  local t=$1 work="$tree/corpus/$1" findings="$tree/findings/$1" log="$tree/logs/$1.log"
  local status=0 runs took result
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  if [ ! -d "fuzz/corpus/$t" ]; then
    # libFuzzer stops on a missing corpus folder before running anything.
    printf '%-16s %12s %8s  %s\n' "$t" - - "FAILED (no seeds in fuzz/corpus/$t)"
    return 1
  fi
  # New inputs go to a scratch corpus; the committed seeds and the samples are only read.
  "$tree/${t}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/tags.dict -artifact_prefix="$findings/" -print_final_stats=1 \
    "$work" "fuzz/corpus/$t" samples >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  result=ok
  [ "$status" -eq 0 ] || result="FAILED (exit $status, see $log)"
  printf '%-16s %12s %8s  %s\n' "$t" "${runs:-?}" "${took:-?}" "$result"
  [ "$status" -eq 0 ]
}

rows="$tree/rows"
rm -rf "$rows" && mkdir -p "$rows"
printf '%-16s %12s %8s  %s\n' target executions seconds result
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  fuzz_one "$t" >"$rows/$t" &
done
wait || true

failed=()
for t in "${targets[@]}"; do
  cat "$rows/$t"
  grep -q '  ok$' "$rows/$t" || failed+=("$t")
done

if [ ${#failed[@]} -ne 0 ]; then
  for t in "${failed[@]}"; do
    echo "== $t" >&2
    grep -E -A 12 'ERROR|fuzz property broken|SUMMARY' "$tree/logs/$t.log" | head -n 40 >&2 || true
    ls "$tree/findings/$t" >&2
  done
  echo "fuzz: ${#failed[@]} target(s) failed: ${failed[*]}" >&2
  exit 1
fi
