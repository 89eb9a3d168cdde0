#!/usr/bin/env bash
# Tries what scripts/package.sh put into dist/ as a user gets it:
#   each Windows zip, unpacked: its console program's answers on the sample page equal the
#     native command line's, and its window program shows a window (a screenshot), where
#     this machine runs that width;
#   the .deb, unpacked with dpkg -x: the installed tagvetter's answers equal the native
#     ones, man renders the installed page, and lintian reports no error;
#   cmake --install under a scratch prefix: the command and its manual page.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

sample=samples/sample.htm
native=build/tagvetter
[ -x "$native" ] || { echo "test-packages: $native is missing (scripts/build.sh native)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/tagvetter-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "test-packages: FAILED: $*" >&2; failures=$((failures + 1)); }

# Compares PROGRAM's output of every command on the sample with the native command line's:
# standard output byte for byte; standard error, which a Windows console program writes
# with CRLF line ends, line for line. Extra words before the program (a Wine loader) come
# first.
same_answers() {
  local label=$1
  shift
  local command status expected before=$failures
  for command in count check tags "tag a" known; do
    local args=($command)
    [ "$command" = known ] || args+=("$sample")
    status=0
    "$@" "${args[@]}" >"$work/out" 2>"$work/err" </dev/null || status=$?
    expected=0
    "$native" "${args[@]}" >"$work/out.expected" 2>"$work/err.expected" || expected=$?
    if [ "$status" != "$expected" ] || ! cmp -s "$work/out" "$work/out.expected" ||
       ! tr -d '\r' <"$work/err" | cmp -s - "$work/err.expected"; then
      fail "$label $command: exit $status (expected $expected), output differs from $native's"
      diff "$work/out.expected" "$work/out" | head -n 5 >&2 || true
    fi
  done
  [ "$failures" -ne "$before" ] || echo "test-packages: $label gives the native answers on $sample"
}

shopt -s nullglob
zips=(dist/tagvetter-*-windows-*.zip)
debs=(dist/tagvetter_*_amd64.deb)
if [ ${#zips[@]} -ne 2 ] || [ ${#debs[@]} -ne 1 ]; then
  echo "test-packages: dist/ should hold two zips and one .deb (scripts/package.sh makes them)" >&2
  exit 1
fi

for zip in "${zips[@]}"; do
  case "$zip" in
    *-x86.zip) bits=32 tree=build-win ;;
    *-x64.zip) bits=64 tree=build-win64 ;;
  esac
  name=$(basename "$zip" .zip)
  unzip -q "$zip" -d "$work"
  for file in tagvetter.exe tagvetter-cli.exe README.txt LICENSE.txt; do
    [ -s "$work/$name/$file" ] || fail "$zip has no $name/$file"
  done
  if ! wine_can_run "$bits"; then
    echo "test-packages: $zip was not started: $WINE_CANT_RUN"
    continue
  fi
  wine_use "$tree"
  same_answers "$name/tagvetter-cli.exe" "$WINE" "$work/$name/tagvetter-cli.exe"
  shot="$tree/release-window.png"
  if scripts/screenshot.sh --tree "$tree" --exe "$work/$name/tagvetter.exe" "$shot" "$sample" >/dev/null &&
     scripts/check-screenshot.sh window "$shot"; then
    echo "test-packages: $name/tagvetter.exe shows its window ($shot)"
  else
    fail "$name/tagvetter.exe showed no window"
  fi
done

deb=${debs[0]}
dpkg -x "$deb" "$work/root"
same_answers "$(basename "$deb"): /usr/bin/tagvetter" "$work/root/usr/bin/tagvetter"
page=$work/root/usr/share/man/man1/tagvetter.1.gz
if MANWIDTH=80 man -l "$page" 2>"$work/man.err" | grep -q '^EXIT STATUS' && [ ! -s "$work/man.err" ]; then
  echo "test-packages: man -l renders the installed page"
else
  fail "man -l $page: $(cat "$work/man.err")"
fi
if lintian --allow-root "$deb" >"$work/lintian" 2>&1 && ! grep -q '^E:' "$work/lintian"; then
  echo "test-packages: lintian reports no error on $deb ($(grep -c '^W:' "$work/lintian" || true) warnings)"
else
  fail "lintian on $deb:"
  cat "$work/lintian" >&2
fi

cmake --install build --prefix "$work/prefix" >/dev/null
if [ "$("$work/prefix/bin/tagvetter" --version)" = "$("$native" --version)" ] &&
   [ -s "$work/prefix/share/man/man1/tagvetter.1.gz" ]; then
  echo "test-packages: cmake --install puts bin/tagvetter and share/man/man1/tagvetter.1.gz under a prefix"
else
  fail "cmake --install under $work/prefix"
fi

if [ "$failures" -ne 0 ]; then
  echo "test-packages: $failures check(s) failed" >&2
  exit 1
fi
