#!/usr/bin/env bash
# Installs what building and testing SetupOrdane needs on Debian 12, and only
# what is missing: `deps.sh run` for the native program, `deps.sh test` adds
# GoogleTest, the mingw-w64 cross compiler and 32-bit Wine.
set -euo pipefail

want=${1:-test}
packages=(cmake ninja-build g++ llvm libncurses-dev)
if [ "$want" = test ]; then
  packages+=(libgtest-dev g++-mingw-w64-i686 wine32:i386)
  packages+=(mtools zip unzip)
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
