#!/usr/bin/env bash
# Configures (once) and builds the program and the tests into build/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cross=$ZELBR_BUILD/cross
# A build for the other architecture (or with another toolchain file: its
# flags only apply at the first configure) is thrown away, not mixed.
stamp="$ZELBR_ARCH $(cksum < "$ZELBR_ROOT/cmake/mingw.cmake")"
if [[ -f $cross/build.ninja && "$(cat "$cross/.zelbr-arch" 2>/dev/null)" != "$stamp" ]]; then
    rm -rf "$cross"
fi
if [[ ! -f $cross/build.ninja ]]; then
    cmake -S "$ZELBR_ROOT" -B "$cross" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ZELBR_ROOT/cmake/mingw.cmake" -DZELBR_ARCH="$ZELBR_ARCH" -DCMAKE_BUILD_TYPE=Release >/dev/null
    echo "$stamp" > "$cross/.zelbr-arch"
fi
cmake --build "$cross" "$@"
# The program directory: ZELBR.EXE and what ships beside it.
ln -sfn "$cross/dist" "$ZELBR_BUILD/dist"
