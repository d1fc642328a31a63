#!/usr/bin/env bash
# Sets up, builds and runs every test under a private Xvfb and Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
# Tests wipe the program's registry root: keep them out of the run prefix.
export ZELBR_WINEPREFIX=${ZELBR_TEST_WINEPREFIX:-$root/build/wineprefix-tests}
source "$root/scripts/env.sh"
"$root/scripts/session.sh" --xvfb ctest --test-dir "$ZELBR_BUILD/cross" --output-on-failure "$@"
