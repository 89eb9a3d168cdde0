#!/usr/bin/env bash
# Builds the release packages into dist/:
#   tagvetter-VERSION-windows-x86.zip   32-bit window program, tagvetter-cli.exe, README.txt, license
#   tagvetter-VERSION-windows-x64.zip   the same as 64-bit programs
#   tagvetter_VERSION_amd64.deb         /usr/bin/tagvetter and its manual page
# The version is the CMake project's. scripts/test-packages.sh tries what this makes.
set -euo pipefail
cd "$(dirname "$0")/.."

rm -rf dist
mkdir -p dist
for kind in native windows windows64; do
  case "$kind" in
    native) tree=build ;;
    windows) tree=build-win ;;
    windows64) tree=build-win64 ;;
  esac
  ./scripts/build.sh "$kind" >/dev/null
  rm -rf "$tree/packages"
  if ! (cd "$tree" && cpack >"packages.log" 2>&1); then
    echo "package: cpack failed in $tree; the end of $tree/packages.log:" >&2
    tail -n 20 "$tree/packages.log" >&2
    exit 1
  fi
  cp "$tree"/packages/*.zip "$tree"/packages/*.deb dist/ 2>/dev/null || true
done

count=$(find dist -maxdepth 1 -type f | wc -l)
if [ "$count" -ne 3 ]; then
  echo "package: expected 3 packages in dist/, found $count:" >&2
  ls -l dist >&2
  exit 1
fi
for f in dist/*; do
  printf 'package: %s (%s bytes)\n' "$f" "$(stat -c %s "$f")"
done
