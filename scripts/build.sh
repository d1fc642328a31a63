#!/usr/bin/env bash
# Configures (once) and builds the program and the tests into build/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cross=$ZELBR_BUILD/cross
if [[ ! -f $cross/build.ninja ]]; then
    cmake -S "$ZELBR_ROOT" -B "$cross" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ZELBR_ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$cross" "$@"
# The program directory: ZELBR.EXE and what ships beside it.
ln -sfn "$cross/dist" "$ZELBR_BUILD/dist"
