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
  zip unzip 7zip dpkg-dev xz-utils make
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
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

if [ ${#missing[@]} -eq 0 ]; then
  install_rar
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
install_rar
