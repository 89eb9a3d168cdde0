#!/usr/bin/env bash
# Runs tagvetter.exe on FILE under Wine on a private Xvfb display and saves a picture of
# the screen to OUT once the main window has its census up; with COMMAND, that menu
# command (40006 is About) is chosen first, so the picture shows its box over the window.
#   scripts/screenshot.sh OUT [FILE [COMMAND]]
# Needs build-win/tagvetter.exe (scripts/build.sh windows). Ends the tree's wineserver.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/screenshot.sh OUT [FILE]}
file=${2:-samples/sample.htm}
command=${3:-}
WINEPREFIX=$(scripts/wine-prefix.sh)
export WINEPREFIX WINEDEBUG=-all
[ -e "$file" ] || { echo "screenshot: no such file: $file" >&2; exit 2; }
path=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
# A server of an earlier headless run would keep its desktop off this display.
wineserver -k 2>/dev/null || true

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine build-win/tagvetter.exe "Z:${1//\//\\}" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "\"Tagvetter\"" && break
    sleep 0.2
  done
  if [ -n "$3" ]; then
    wine build-win/tests/win32/post_command.exe "$3" </dev/null >/dev/null 2>&1
  fi
  sleep 1
  /usr/bin/import -window root "$2"
  wineserver -k
' screenshot "$path" "$out" "$command"
[ -s "$out" ] || { echo "screenshot: nothing saved" >&2; exit 1; }
echo "screenshot: $out"
