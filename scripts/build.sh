#!/usr/bin/env bash
# Configures and builds one tree: native (build/) or sanitize (build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-native}" in
  native)   dir=build;      flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  sanitize) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGVETTER_SANITIZE=ON) ;;
  *) echo "usage: scripts/build.sh [native|sanitize]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
