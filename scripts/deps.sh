#!/usr/bin/env bash
# Installs what building and testing SetupOrdane needs on Debian 12, and only
# what is missing: `deps.sh run` for the native program; `deps.sh test` adds
# GoogleTest (also its sources, for the Windows build of the portable tests),
# the 32-bit mingw-w64 cross compiler, and the Wine this machine runs: 32-bit
# Wine where the kernel runs i386 programs, else wine64 and the x86_64 cross
# compiler (tests/wine/select.sh decides); valgrind, clang-tidy and cppcheck
# for the checks beyond the tests.
set -euo pipefail

want=${1:-test}
packages=(cmake ninja-build g++ llvm libncurses-dev libsqlite3-dev)
if [ "$want" = test ]; then
  source "$(dirname "$0")/../tests/wine/select.sh"
  select_wine || { echo "deps: $wine_reason" >&2; exit 1; }
  packages+=(libgtest-dev googletest g++-mingw-w64-i686 tmux)
  packages+=(mtools zip unzip)
  # The fuzz targets: clang and its libFuzzer runtime (only recommended by clang).
  packages+=(clang libclang-rt-14-dev)
  packages+=(valgrind clang-tidy cppcheck)
  if [ "$wine_bits" = 32 ]; then
    packages+=(wine32:i386)
  else
    packages+=(g++-mingw-w64-x86-64 wine64)
  fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "deps: installing ${missing[*]}" >&2
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
