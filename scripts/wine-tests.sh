#!/usr/bin/env bash
# Runs one Windows tree's tests (build-win/ or build-win64/) under that width's Wine
# loader, headless (the null driver), with one persistent wineserver for the whole run,
# then takes two screenshots under Xvfb: the main window, and the about box over it.
#   scripts/wine-tests.sh TREE [CTEST ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
tree=${1:?usage: scripts/wine-tests.sh TREE [CTEST ARGUMENTS...]}
shift
wine_use "$tree"
unset DISPLAY

# A server left from an earlier run of this tree (perhaps on a display) is ended first.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's background services start with the first program: started here, they do not
# hold ctest's output pipes open after a test has ended.
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
(cd "$tree" && ctest --output-on-failure -j2 "$@")
wineserver -k
wineserver -w

# The real X11 driver once: the main window with the sample's census.
scripts/screenshot.sh --tree "$tree" "$tree/screenshot.png" samples/sample.htm
scripts/check-screenshot.sh window "$tree/screenshot.png"

# The about box over the main window: its red rim must be on the screen.
scripts/screenshot.sh --tree "$tree" "$tree/about.png" samples/sample.htm 40006
scripts/check-screenshot.sh about "$tree/about.png"
