#!/usr/bin/env bash
# Installs what is missing, builds, and opens FILE (default: the bundled sample page) in
# the Windows program under Wine when a display is available (the 32-bit program where
# this machine runs 32-bit programs, else the 64-bit one); without a display it shows the
# census and the check of FILE from the command line.
#   ./run.sh [FILE]
#   ./run.sh --screenshot OUT.png [FILE]   the window on a private Xvfb display, saved
set -euo pipefail
cd "$(dirname "$0")"
source scripts/wine-env.sh

shot=
if [ "${1:-}" = "--screenshot" ]; then
  shot=${2:?usage: ./run.sh --screenshot OUT.png [FILE]}
  shift 2
fi
file=${1:-samples/sample.htm}

./scripts/install-deps.sh

if [ -n "$shot" ] || [ -n "${DISPLAY:-}" ]; then
  tree=$(wine_pick_tree)
  if [ "$tree" = build-win ]; then ./scripts/build.sh windows >/dev/null; else ./scripts/build.sh windows64 >/dev/null; fi
  [ -z "$shot" ] || exec ./scripts/screenshot.sh --tree "$tree" "$shot" "$file"
  [ -e "$file" ] || { echo "run: no such file: $file" >&2; exit 2; }
  wine_use "$tree"
  path=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
  exec "$WINE" "$tree/tagvetter.exe" "Z:${path//\//\\}"
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
