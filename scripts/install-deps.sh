#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the Windows cross builds, the
# fuzzers and the release packages need. Idempotent: it does nothing when everything is
# already present. With PACKAGE arguments it installs those instead (the benchmarks'
# peers and documentation), in the same way.
#   scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=(
  build-essential cmake make python3
  googletest libbenchmark-dev nlohmann-json3-dev
  clang libclang-rt-14-dev llvm
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth x11-utils imagemagick
  valgrind time
  dpkg-dev lintian unzip man-db
  sgml-data
  libtomlplusplus-dev neovim pre-commit git
)
[ $# -eq 0 ] || packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
