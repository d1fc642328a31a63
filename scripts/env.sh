# Sourced by the scripts: the project's own Wine environment.
ZELBR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ZELBR_ROOT
export ZELBR_BUILD=${ZELBR_BUILD:-$ZELBR_ROOT/build}
export WINEPREFIX=${ZELBR_WINEPREFIX:-$ZELBR_BUILD/wineprefix}
export WINEARCH=win32
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}
