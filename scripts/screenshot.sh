#!/usr/bin/env bash
# Runs the window program on FILE under Wine on a private Xvfb display and saves a picture
# of the screen to OUT once the main window has its census up; with COMMAND, that menu
# command (40006 is About) is chosen first, so the picture shows its box over the window.
# COMMAND may be several, split by commas, chosen in turn: 40013,40009 is the html5
# profile, then Check.
#   scripts/screenshot.sh [--tree TREE] [--exe EXE] OUT [FILE [COMMAND]]
# TREE (default: the 32-bit tree where 32-bit programs run, else the 64-bit one) gives the
# Wine loader and prefix; EXE (default TREE/tagvetter.exe) is the program to show, say one
# unpacked from a release. Ends the tree's wineserver.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
usage="usage: scripts/screenshot.sh [--tree TREE] [--exe EXE] OUT [FILE [COMMAND]]"
tree= exe=
while [ $# -gt 0 ]; do
  case "$1" in
    --tree) tree=${2:?$usage}; shift 2 ;;
    --exe) exe=${2:?$usage}; shift 2 ;;
    *) break ;;
  esac
done
out=${1:?$usage}
file=${2:-samples/sample.htm}
command=${3:-}
[ -n "$tree" ] || tree=$(wine_pick_tree)
exe=${exe:-$tree/tagvetter.exe}
[ -e "$file" ] || { echo "screenshot: no such file: $file" >&2; exit 2; }
[ -e "$exe" ] || { echo "screenshot: no such program: $exe (scripts/build.sh windows builds it)" >&2; exit 2; }
wine_use "$tree"
path=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
# A server of an earlier run would keep its desktop off this display. Killing it doesn't
# wait for it to end, and a program started meanwhile joins the dying server and hangs.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

rm -f "$out"
# What Wine says goes to a log beside the picture: the only clue when no window appears.
log=$out.log
status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$WINELOADER" "$4" "Z:${1//\//\\}" </dev/null >"$6" 2>&1 &
  shown=
  for _ in $(seq 200); do
    # "Tagvetter", or "Tagvetter - HTML5" and the like once a profile is chosen.
    xwininfo -root -tree 2>/dev/null | grep -q "\"Tagvetter[\" ]" && { shown=1; break; }
    sleep 0.2
  done
  if [ -z "$shown" ]; then
    echo "screenshot: no Tagvetter window appeared within 40 s" >&2
    wineserver -k
    wineserver -w
    exit 1
  fi
  IFS=, read -ra commands <<<"$3"
  for c in "${commands[@]}"; do
    "$WINELOADER" "$5/tests/win32/post_command.exe" "$c" </dev/null >>"$6" 2>&1
    sleep 0.5
  done
  sleep 1
  /usr/bin/import -window root "$2"
  wineserver -k
  wineserver -w
' screenshot "$path" "$out" "$command" "$exe" "$tree" "$log" || status=$?
if [ "$status" -ne 0 ] || [ ! -s "$out" ]; then
  echo "screenshot: nothing saved to $out; the end of Wine's output ($log):" >&2
  tail -n 15 "$log" >&2
  exit 1
fi
echo "screenshot: $out ($(basename "$exe"), $WINE_BITS-bit)"
