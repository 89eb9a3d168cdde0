#!/usr/bin/env bash
# Figures for the Windows program under Wine, in one run: opening a generated document
# (census shown) against the command line's count of the same file, and the time and
# memory of View all tags on it.
#   scripts/measure-gui.sh [MB [ROUNDS]]     default: 50 MB, 5 rounds
# Needs a Windows tree (scripts/build.sh windows or windows64): the 32-bit one where
# 32-bit programs run, else the 64-bit one. The document goes into that tree.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
mb=${1:-50}
rounds=${2:-5}
tree=$(wine_pick_tree)
doc=$tree/measure-$mb.htm
[ -e "$doc" ] || python3 bench/make_document.py "$doc" "$mb" 1
wine_use "$tree"
unset DISPLAY
win() { echo "Z:$(pwd)/$1" | tr / '\\'; }
"$WINE" "$tree/tests/win32/gui_timing.exe" "$(win "$tree/tagvetter.exe")" "$(win "$tree/tagvetter-cli.exe")" \
  "$(win "$doc")" "$rounds"
