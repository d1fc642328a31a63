#!/usr/bin/env bash
# Sets up, builds and runs every test under a private Xvfb and Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/env.sh"
"$root/scripts/session.sh" --xvfb ctest --test-dir "$ZELBR_BUILD/cross" --output-on-failure "$@"
