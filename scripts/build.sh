#!/usr/bin/env bash
# Configures and builds one tree: native (build/), sanitize (build-asan/) or windows
# (build-win/, the MinGW cross build run under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-native}" in
  native)   dir=build;      flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  sanitize) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGVETTER_SANITIZE=ON) ;;
  windows)  dir=build-win;  flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) ;;
  *) echo "usage: scripts/build.sh [native|sanitize|windows]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
