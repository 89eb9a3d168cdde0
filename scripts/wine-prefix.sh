#!/usr/bin/env bash
# Creates the Windows tree's private Wine prefix (build-win/wineprefix) once, and prints
# its path. A fresh prefix takes 15-30 s; later calls return at once.
#   Graphics = x11,null  the X11 driver when DISPLAY is set, else the headless null driver
#   Managed = N          without a window manager a managed window waits 2 s when destroyed
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build-win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
ready=$WINEPREFIX/.tagvetter-ready

if [ ! -e "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # One creator at a time: ctest may start several Wine tests together.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -e "$ready" ]; then
    # No Mono or Gecko prompts, and no window while the prefix is made.
    WINEDLLOVERRIDES="mscoree=;mshtml=" DISPLAY= wineboot -u >/dev/null 2>&1
    DISPLAY= wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1
    DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$ready"
  fi
fi
echo "$WINEPREFIX"
