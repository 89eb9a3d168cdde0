#!/usr/bin/env bash
# Installs what is missing, builds, and opens FILE (default: the bundled sample page) in
# the Windows program under Wine when a display is available; without one it shows the
# census and the check of FILE from the command line.
#   ./run.sh [FILE]
#   ./run.sh --screenshot OUT.png [FILE]   the window on a private Xvfb display, saved
set -euo pipefail
cd "$(dirname "$0")"

shot=
if [ "${1:-}" = "--screenshot" ]; then
  shot=${2:?usage: ./run.sh --screenshot OUT.png [FILE]}
  shift 2
fi
file=${1:-samples/sample.htm}

./scripts/install-deps.sh

if [ -n "$shot" ]; then
  ./scripts/build.sh windows >/dev/null
  exec ./scripts/screenshot.sh "$shot" "$file"
fi
if [ -n "${DISPLAY:-}" ]; then
  ./scripts/build.sh windows >/dev/null
  path=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
  WINEPREFIX=$(scripts/wine-prefix.sh) WINEDEBUG=-all exec wine build-win/tagvetter.exe "Z:${path//\//\\}"
fi

./scripts/build.sh native >/dev/null

echo "== Count tags: $file"
./build/tagvetter count "$file"
echo
echo "== Check document: $file"
./build/tagvetter check "$file" || true
echo
echo "(No display, so this is the command line's view. For a picture of the window:"
echo " ./run.sh --screenshot out.png [FILE])"
