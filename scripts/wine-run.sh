#!/usr/bin/env bash
# Runs a Windows program of TREE under its Wine loader in the tree's private prefix; ctest
# uses it as the emulator of the Windows tests. The program's exit code is passed on.
#   scripts/wine-run.sh TREE PROGRAM [ARGUMENTS...]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
wine_use "${1:?usage: scripts/wine-run.sh TREE PROGRAM [ARGUMENTS...]}"
shift
exec "$WINE" "$@"
