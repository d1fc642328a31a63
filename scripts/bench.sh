#!/usr/bin/env bash
# Builds and runs the program's benchmarks on a private Xvfb and prints their
# figures: start-up time against notepad.exe, its growth from ten to 1000
# catalogue entries, the harness overhead of a precise all-items run and one
# full repaint of the main window in both display modes, and the help viewer
# on hostile help files. scripts/module-bench.sh times the modules themselves.
#
# As there, the whole Wine session runs on one host processor, as on a
# Windows 95 PC: spread over two, every round trip to wineserver or the X
# server waits for the other processor to wake, and start-up and paint times
# grow three- to fourfold and swing with whatever else the host runs. -a
# runs them on all processors, for comparison.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/env.sh"
dist_win="Z:$(readlink -f "$ZELBR_BUILD/dist" | tr / '\\')"
testbin_win="Z:$(echo "$ZELBR_BUILD/cross/testbin" | tr / '\\')"
bench=$ZELBR_BUILD/cross/bench
pin=()
if [[ ${1:-} != -a ]] && command -v taskset >/dev/null; then
    cpu=$(taskset -pc $$ | sed 's/.*: *//; s/[,-].*//')
    pin=(taskset -c "$cpu")
fi
# The benchmarks use the program's registry root; keep the user's copy.
"${pin[@]}" "$root/scripts/session.sh" --xvfb bash -c "
    wine regedit /E 'Z:\\tmp\\zelbr-bench-saved.reg' 'HKEY_CURRENT_USER\\Software\\Orvane\\Travik\\zelBr' >/dev/null 2>&1
    wine '$bench/startup_bench.exe' '$dist_win'
    wine '$bench/run_bench.exe' '$dist_win' '$testbin_win'
    wine '$bench/repaint_bench.exe' '$dist_win'
    wine '$bench/help_bench.exe' '$dist_win'
    wine reg delete 'HKCU\\Software\\Orvane\\Travik\\zelBr' /f >/dev/null 2>&1
    [ -s /tmp/zelbr-bench-saved.reg ] && wine regedit /S 'Z:\\tmp\\zelbr-bench-saved.reg' >/dev/null 2>&1
    rm -f /tmp/zelbr-bench-saved.reg; true
" | iconv -f CP932 -t UTF-8
