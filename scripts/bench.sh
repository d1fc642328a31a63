#!/usr/bin/env bash
# Builds and runs the benchmarks on a private Xvfb; prints their figures.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/env.sh"
dist_win="Z:$(readlink -f "$ZELBR_BUILD/dist" | tr / '\\')"
"$root/scripts/session.sh" --xvfb wine "$ZELBR_BUILD/cross/bench/startup_bench.exe" "$dist_win" "$@" \
    | iconv -f CP932 -t UTF-8
