#!/usr/bin/env bash
# Runs a Windows program under Wine in the Windows tree's private prefix; ctest uses it as
# the emulator of the Windows tests. The program's exit code is passed on.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=$("$scripts/wine-prefix.sh")
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
