#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the Windows cross builds, the
# fuzzers and the release packages need. With PACKAGE arguments it installs those instead
# (the benchmarks' peers and documentation), in the same way.
#   scripts/install-deps.sh [PACKAGE...]
#
# It has to get through a day when the package mirror is mid-sync:
# - Only a missing required package leads to the root check, `apt-get update` and an
#   install; a machine that has them all needs neither network nor root.
# - `apt-get update` is tried a few times within a bounded time; when an index still
#   fails, the install goes on with the lists apt has.
# - The 32-bit Wine is optional (some machines can't run it, and on some days its i386
#   packages lag behind the amd64 ones). It goes in an install of its own, after the
#   required packages, because apt installs a transaction whole or not at all. When it
#   can't be installed one line says why, and the 32-bit Windows tree is left unrun.
# - A required package that can't be installed stops the set-up, naming the package and
#   what apt said.
set -euo pipefail

required=(
  build-essential cmake make python3
  googletest libbenchmark-dev nlohmann-json3-dev
  clang libclang-rt-14-dev llvm
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  valgrind time
  dpkg-dev lintian unzip man-db
  sgml-data
  libtomlplusplus-dev neovim pre-commit git
)
optional=(wine32:i386)
if [ $# -gt 0 ]; then required=("$@"); optional=(); fi

update_tries=3 update_budget=30 update_pause=2

say() { echo "install-deps: $*" >&2; }

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# apt's own complaint in one line: its first error, else its last line.
apt_said() {
  local said
  said=$(grep -m 1 '^E: ' <<<"$1" | sed -e 's/^E: //' -e 's/ *\[IP: [^]]*\]//') || true
  [ -n "$said" ] || said=$(grep -v '^[[:space:]]*$' <<<"$1" | tail -n 1) || true
  echo "${said:-no message}"
}

# Tries `apt-get update` until it succeeds, the tries run out or the time budget is spent.
# A failing index is reported, not fatal: apt keeps the lists it had for it.
update_lists() {
  local try output start=$SECONDS left
  for ((try = 1; try <= update_tries; try++)); do
    left=$((update_budget - (SECONDS - start)))
    [ "$left" -gt 0 ] || break
    if output=$(timeout --kill-after=5 "$left" apt-get update -qq 2>&1); then
      return 0
    elif [ $? -eq 124 ]; then
      output="E: gave up after ${left} s"
    fi
    [ "$try" -eq "$update_tries" ] || sleep "$update_pause"
  done
  lists_incomplete=" (apt-get update had failed, so its lists may be incomplete)"
  local tries=$((try - 1))
  say "apt-get update failed ($tries $([ "$tries" -eq 1 ] && echo try || echo tries)): $(apt_said "$output"); going on with the package lists apt has"
}
lists_incomplete=

apt_install() {
  apt-get install -y -qq --no-install-recommends "$@" 2>&1
}

missing=()
for p in "${required[@]}"; do installed "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  say "these packages are missing and installing them needs root: ${missing[*]}"
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
for p in "${optional[@]}"; do
  case "$p" in
    *:i386) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 || true ;;
  esac
done
update_lists

if ! output=$(apt_install "${missing[@]}"); then
  # The whole transaction failed; installing one at a time tells which package is at fault.
  failed=0
  for p in "${missing[@]}"; do
    installed "$p" && continue
    if ! output=$(apt_install "$p"); then
      say "can't install the required package $p: $(apt_said "$output")"
      failed=1
    fi
  done
  [ "$failed" -eq 0 ] || exit 1
fi

for p in "${optional[@]}"; do
  installed "$p" && continue
  if ! output=$(apt_install "$p"); then
    say "left out $p (the 32-bit Wine), so the 32-bit Windows tests won't run here: apt said: $(apt_said "$output")$lists_incomplete"
  fi
done
exit 0
