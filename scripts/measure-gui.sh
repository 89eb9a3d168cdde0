#!/usr/bin/env bash
# Figures for the Windows program under Wine, in one run: opening a generated document
# (census shown) against the command line's count of the same file, and the time and
# memory of View all tags on it.
#   scripts/measure-gui.sh [MB [ROUNDS]]     default: 50 MB, 5 rounds
# Needs the Windows tree (scripts/build.sh windows). The document goes to build-win/.
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-50}
rounds=${2:-5}
doc=build-win/measure-$mb.htm
[ -e "$doc" ] || python3 bench/make_document.py "$doc" "$mb" 1
WINEPREFIX=$(scripts/wine-prefix.sh)
export WINEPREFIX WINEDEBUG=-all
unset DISPLAY
win() { echo "Z:$(pwd)/$1" | tr / '\\'; }
wine build-win/tests/win32/gui_timing.exe "$(win build-win/tagvetter.exe)" "$(win build-win/cli/tagvetter.exe)" \
  "$(win "$doc")" "$rounds"
