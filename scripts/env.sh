# Sourced by the scripts: the project's own Wine environment.
ZELBR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ZELBR_ROOT
export ZELBR_BUILD=${ZELBR_BUILD:-$ZELBR_ROOT/build}
export WINEPREFIX=${ZELBR_WINEPREFIX:-$ZELBR_BUILD/wineprefix}
# The program is 32-bit, as Windows 95 programs are. Some hosts run no 32-bit
# code at all (no IA-32 emulation in the kernel); there it is built for
# x86_64 and runs under the 64-bit Wine loader instead.
if [[ -z ${ZELBR_ARCH:-} ]]; then
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then ZELBR_ARCH=i686; else ZELBR_ARCH=x86_64; fi
fi
export ZELBR_ARCH
if [[ $ZELBR_ARCH == x86_64 ]]; then
    export WINEARCH=win64
    export PATH=$ZELBR_ROOT/scripts/wine64:$PATH
else
    export WINEARCH=win32
fi
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}
