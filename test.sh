#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

./scripts/build.sh native
(cd build && ctest --output-on-failure -j2)

# The Windows program and its tests: the MinGW cross build in build-win/, run under Wine.
./scripts/build.sh windows
./scripts/wine-tests.sh

# The same tests once more with AddressSanitizer and UndefinedBehaviorSanitizer.
./scripts/build.sh sanitize
(cd build-asan && ctest --output-on-failure -j2)

# Every fuzz target for a short while (clang and libFuzzer, in build-fuzz/).
./scripts/fuzz.sh 25
