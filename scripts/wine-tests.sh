#!/usr/bin/env bash
# Runs the Windows tree's tests (build-win/) under Wine, headless (the null driver), with
# one persistent wineserver for the whole run, then takes one screenshot under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
WINEPREFIX=$(scripts/wine-prefix.sh)
export WINEPREFIX WINEDEBUG=-all
unset DISPLAY

# A server left from an earlier run of this tree (perhaps on a display) is ended first.
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's background services start with the first program: started here, they do not
# hold ctest's output pipes open after a test has ended.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
(cd build-win && ctest --output-on-failure -j2 "$@")
wineserver -k

# The real X11 driver once: the main window with the sample's census.
scripts/screenshot.sh build-win/screenshot.png samples/sample.htm
colours=$(/usr/bin/convert build-win/screenshot.png -format %k info:)
if [ "$colours" -lt 8 ]; then
  echo "wine-tests: the screenshot shows no window ($colours colours)" >&2
  exit 1
fi
echo "wine-tests: screenshot of the main window in build-win/screenshot.png ($colours colours)"

# The about box over the main window: its red rim must be on the screen.
scripts/screenshot.sh build-win/about.png samples/sample.htm 40006
red=$(/usr/bin/convert build-win/about.png -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
  -format '%[fx:round(mean*w*h)]' info:)
if [ "$red" -lt 500 ]; then
  echo "wine-tests: the about screenshot shows no red oval ($red red pixels)" >&2
  exit 1
fi
echo "wine-tests: screenshot of the about box in build-win/about.png ($red red pixels)"
