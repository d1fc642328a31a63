#!/usr/bin/env bash
# Builds and runs every bundled measurement module ten times on a private
# Xvfb, as a precise measurement does; prints run values, mean, variation
# and score. Usage: scripts/module-bench.sh [NAME ...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/env.sh"
dist_win="Z:$(readlink -f "$ZELBR_BUILD/dist" | tr / '\\')"
"$root/scripts/session.sh" --xvfb wine "$ZELBR_BUILD/cross/bench/module_bench.exe" "$dist_win" "$@" \
    | iconv -f CP932 -t UTF-8
