#!/usr/bin/env bash
# Configures and builds one tree: native (build/), sanitize (build-asan/), windows
# (build-win/, the 32-bit MinGW cross build run under Wine) or windows64 (build-win64/,
# the same sources as a 64-bit program).
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-native}" in
  native)    dir=build;       flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  # clang: its sanitizer builds take a third of the time GCC's do.
  sanitize)  dir=build-asan;  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGVETTER_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++) ;;
  windows)   dir=build-win;   flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) ;;
  windows64) dir=build-win64; flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake) ;;
  *) echo "usage: scripts/build.sh [native|sanitize|windows|windows64]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
