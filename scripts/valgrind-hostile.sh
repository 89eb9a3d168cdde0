#!/usr/bin/env bash
# Runs every tagvetter command under valgrind's memcheck on a few hostile documents
# (tests/hostile): no invalid read or write, no use of uninitialised bytes, no leak.
#
#   scripts/valgrind-hostile.sh
#
# valgrind's own failure status is 99, apart from the 1 with which check reports problems.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/build.sh native >/dev/null
exe=build/tagvetter

work=$(mktemp -d "${TMPDIR:-/tmp}/tagvetter-valgrind-XXXXXX")
trap 'rm -rf "$work"' EXIT
build/tests/hostile/hostile_inputs "$work" >/dev/null

inputs=(empty lone_less_than less_than_100000 nul_inside_tag nul_between_tags binary_png comment_unclosed
        script_unclosed pre_unclosed truncated_in_tag carriage_returns_only growing_tags invented_names_10000
        every_byte_in_names single_tag_10mb)

failures=0
printf '%-24s %-8s %6s %8s  %s\n' input command exit seconds valgrind
for input in "${inputs[@]}"; do
  file="$work/$input.htm"
  for command in count check tags "tag a" known; do
    args=($command)
    [ "$command" = known ] || args+=("$file")
    [ "$command" = known ] && [ "$input" != empty ] && continue  # the reference reads no file
    status=0
    start=$(date +%s%N)
    valgrind --tool=memcheck --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all \
      --suppressions=scripts/valgrind.supp --error-exitcode=99 --log-file="$work/valgrind.log" "$exe" "${args[@]}" >/dev/null 2>&1 || status=$?
    stop=$(date +%s%N)
    summary=$(sed -n 's/^==[0-9]*== ERROR SUMMARY: \([0-9]*\) errors.*/\1 errors/p' "$work/valgrind.log")
    leaks=$(grep -c 'definitely lost: [1-9]\|indirectly lost: [1-9]\|possibly lost: [1-9]\|still reachable: [1-9]' \
      "$work/valgrind.log" || true)
    verdict="$summary, $leaks leak lines"
    case "$command:$status" in
      check:0|check:1|count:0|tags:0|tag*:0|known:0) ;;
      *) verdict="$verdict, FAILED"; failures=$((failures + 1)); cp "$work/valgrind.log" "build/valgrind-$input.log" ;;
    esac
    printf '%-24s %-8s %6s %8.2f  %s\n' "$input" "$command" "$status" \
      "$(awk -v ns=$((stop - start)) 'BEGIN { print ns / 1e9 }')" "$verdict"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "valgrind-hostile: $failures run(s) failed; logs in build/valgrind-*.log" >&2
  exit 1
fi
echo "valgrind-hostile: no memory error and no leak in any run"
