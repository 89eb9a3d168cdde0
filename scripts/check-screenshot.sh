#!/usr/bin/env bash
# Fails unless a screenshot shows what it should:
#   window  a window at all (more than a handful of colours)
#   about   the about box's red oval rim (at least 500 pure red pixels)
#   scripts/check-screenshot.sh window|about PNG
set -euo pipefail
what=${1:?usage: scripts/check-screenshot.sh window|about PNG}
png=${2:?usage: scripts/check-screenshot.sh window|about PNG}
case "$what" in
  window)
    colours=$(/usr/bin/convert "$png" -format %k info:)
    if [ "$colours" -lt 8 ]; then
      echo "check-screenshot: $png shows no window ($colours colours)" >&2
      exit 1
    fi
    echo "check-screenshot: $png shows a window ($colours colours)" ;;
  about)
    red=$(/usr/bin/convert "$png" -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
      -format '%[fx:round(mean*w*h)]' info:)
    if [ "$red" -lt 500 ]; then
      echo "check-screenshot: $png shows no red oval ($red red pixels)" >&2
      exit 1
    fi
    echo "check-screenshot: $png shows the about box ($red red pixels)" ;;
  *) echo "usage: scripts/check-screenshot.sh window|about PNG" >&2; exit 2 ;;
esac
