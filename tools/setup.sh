#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake ninja-build make g++
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 wine32:i386
  xvfb x11-utils imagemagick
  doctest-dev
  python3
  zip unzip 7zip dpkg-dev xz-utils
)

# Every command the build, the tests and the scripts call. A package can be
# installed yet lack one (a name that moved to another package), so the setup
# ends only when each of them is found.
commands=(
  cmake ninja make g++ x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc i686-w64-mingw32-g++
  x86_64-w64-mingw32-windres wine wineserver wineboot Xvfb import
  python3 zip unzip 7zz rar dpkg-source xz tar awk flock realpath apt-get apt-cache
)
# Sourced (by the test of these lists), it only names them.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(wine32:i386)
fi

# rar, which makes the tests' rar archives, is in Debian's non-free component:
# it comes through an apt list of the project's own, the machine's sources untouched.
install_rar() {
  command -v rar >/dev/null && return 0
  source "$(dirname "$0")/debian-apt.sh"
  kv_apt_setup
  DEBIAN_FRONTEND=noninteractive ${SUDO:-} apt-get "${KV_APT[@]}" install -y -qq --no-install-recommends rar >/dev/null
}

check_commands() {
  local absent=()
  for c in "${commands[@]}"; do command -v "$c" >/dev/null || absent+=("$c"); done
  [ ${#absent[@]} -eq 0 ] && return 0
  echo "setup: still missing after installing: ${absent[*]}" >&2
  return 1
}

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
install_rar
check_commands
