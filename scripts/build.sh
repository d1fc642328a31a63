#!/usr/bin/env bash
# Configures (once) and builds the program and the tests into build/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cross=$ZELBR_BUILD/cross
# A build for the other architecture is thrown away, not mixed.
if [[ -f $cross/build.ninja && "$(cat "$cross/.zelbr-arch" 2>/dev/null)" != "$ZELBR_ARCH" ]]; then
    rm -rf "$cross"
fi
if [[ ! -f $cross/build.ninja ]]; then
    cmake -S "$ZELBR_ROOT" -B "$cross" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ZELBR_ROOT/cmake/mingw-$ZELBR_ARCH.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    echo "$ZELBR_ARCH" > "$cross/.zelbr-arch"
fi
cmake --build "$cross" "$@"
# The program directory: ZELBR.EXE and what ships beside it.
ln -sfn "$cross/dist" "$ZELBR_BUILD/dist"
