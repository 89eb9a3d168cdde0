#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/wine-env.sh

./scripts/install-deps.sh

./scripts/build.sh native
(cd build && ctest --output-on-failure -j2)

# The Windows program and its tests, 32-bit (build-win/) and 64-bit (build-win64/) from the
# same sources, run under Wine. Both trees are always built; each runs where this machine
# executes its width, and a tree that can't run says so.
ran=() skipped=()
for tree in build-win build-win64; do
  if [ "$tree" = build-win ]; then width=windows bits=32; else width=windows64 bits=64; fi
  ./scripts/build.sh "$width"
  if wine_can_run "$bits"; then
    ./scripts/wine-tests.sh "$tree"
    ran+=("$tree ($bits-bit)")
  else
    echo "test: the $bits-bit Windows tests ($tree/) were not run: $WINE_CANT_RUN"
    skipped+=("$tree ($bits-bit)")
  fi
done
if [ ${#ran[@]} -eq 0 ]; then
  echo "test: no Windows tree could run here, so the window program is untested; Wine must run 32- or 64-bit programs (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

# The release packages (dist/), tried as a user gets them.
./scripts/package.sh
./scripts/test-packages.sh

# The same tests once more with AddressSanitizer and UndefinedBehaviorSanitizer (clang; the
# tree holds the fuzz targets too).
./scripts/build.sh sanitize
(cd build-asan && ctest --output-on-failure -j2)

# Every fuzz target for a short while (libFuzzer, in build-asan/).
./scripts/fuzz.sh 15

echo "test: Windows trees run: ${ran[*]}${skipped:+; not run: ${skipped[*]}}"
