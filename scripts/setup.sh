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
# A mirror in mid-sync fails "apt-get update" for one index (seen for the
# i386 security index). Retry; if it stays broken, install from the suites
# that did download, since a half-read suite leaves the two architectures'
# candidates at different versions and the resolver gives up.
update_ok=1
apt_update() {
    local i
    for i in 1 2 3; do
        apt-get update -qq && return 0
        echo "setup: apt-get update failed (try $i of 3)" >&2
        ((i < 3)) && sleep 20
    done
    update_ok=0
}
apt_install() {
    if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null; then
        return 0
    fi
    ((update_ok)) && return 1
    local parts rc=0
    parts=$(mktemp -d)
    # Stanzas of deb822 files, lines of the one-line format.
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -e $f ]] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" } !/security/' "$f" > "$parts/$(basename "$f")"
    done
    grep -v security /etc/apt/sources.list > "$parts/sources.list" 2>/dev/null || true
    echo "setup: installing without the security suites" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -o Dir::Etc::SourceParts="$parts" -o Dir::Etc::SourceList="$parts/sources.list" \
        "$@" >/dev/null || rc=$?
    rm -rf "$parts"
    return $rc
}

if ((${#missing[@]})); then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    echo "setup: installing ${missing[*]}"
    apt_update
    apt_install "${missing[@]}"
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
        apt_update
        apt_install "${missing[@]}"
    fi
fi

# Without a generated ja_JP.UTF-8 locale Wine silently falls back to code page 1252.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
