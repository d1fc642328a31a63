#!/usr/bin/env bash
# Installs what the build and the Wine runtime need on Debian 12 (as root).
# Safe to run again: it skips what is already there.
set -euo pipefail

need_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
           g++ cmake ninja-build googletest wine wine32:i386 xvfb xauth locales
           fonts-ipafont-gothic fonts-ipafont-mincho fonts-wine x11-utils x11-apps netpbm zip unzip)

missing=()
for p in "${need_pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    echo "setup: installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Hosts whose kernel runs no 32-bit code build for x86_64 and use the 64-bit
# Wine loader (see env.sh).
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    missing=()
    for p in wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "setup: this host runs no 32-bit code; installing ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
fi

# Without a generated ja_JP.UTF-8 locale Wine silently falls back to code page 1252.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
