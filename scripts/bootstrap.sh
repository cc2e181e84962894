#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine: the MinGW-w64
# compilers, CMake, 64-bit Wine, Xvfb, xauth and the GoogleTest sources, then
# 32-bit Wine under user-mode emulation. Skips what is present: quick when all is.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake make g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine64 xvfb xauth googletest locales)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A Japanese locale, so that Wine can run programs in the Shift-JIS code
# page and still name files in UTF-8 on the Linux side.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "bootstrap: generating the ja_JP.UTF-8 locale"
  as_root sh -c 'grep -q "^ja_JP.UTF-8 UTF-8" /etc/locale.gen || echo "ja_JP.UTF-8 UTF-8" >> /etc/locale.gen; locale-gen >/dev/null'
fi

as_root "$here/setup-i386.sh"
echo "bootstrap: ready"
