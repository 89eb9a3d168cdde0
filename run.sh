#!/usr/bin/env bash
# Installs what is missing, builds, and shows the census and the check of FILE
# (default: the bundled sample page).
set -euo pipefail
cd "$(dirname "$0")"

file=${1:-samples/sample.htm}

./scripts/install-deps.sh
./scripts/build.sh native >/dev/null

echo "== Count tags: $file"
./build/tagvetter count "$file"
echo
echo "== Check document: $file"
./build/tagvetter check "$file" || true
