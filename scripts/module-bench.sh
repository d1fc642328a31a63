#!/usr/bin/env bash
# Builds and runs the bundled measurement modules ten times each on a private
# Xvfb, as a precise measurement does, and prints run values, mean,
# coefficient of variation, the last five runs' mean against the first
# five's, and score, with the same figures for a fixed loop of arithmetic
# timed before every run: a module cannot repeat better than the host does.
# Usage: scripts/module-bench.sh [-v] [-i] [-p] [NAME ...]
# (-v also prints each run's pass times; -i runs the modules in turn, run by
# run, so two builds of one module copied in under two names see the same load;
# -p runs host_probe on another processor and also prints each item's runs
# with the host's speed during each taken out: what is left is the item's own
# variation. The probe's processor shares the host with the session's, so the
# runs are a little slower then and their scores are not the references'.)
#
# The whole Wine session runs on one host processor. A Windows 95 PC has
# one; and Wine's message passing between the module, the application,
# wineserver and the X server costs less, and varies far less, when it
# never crosses processors (on a two-processor host the module times drop
# by half to two thirds and their variation from about 10 % to 1-3 %).
# The modules' reference values were measured this way.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
# What the build wrote goes to the disk now, not under the first runs of
# the first modules (the kernel writes dirty pages back within half a minute,
# and every module that flushes its files would wait for them).
sync
source "$root/scripts/env.sh"
dist_win="Z:$(readlink -f "$ZELBR_BUILD/dist" | tr / '\\')"
bench=$ZELBR_BUILD/cross/bench
pin=()
if command -v taskset >/dev/null; then
    cpu=$(taskset -pc $$ | sed 's/.*: *//; s/[,-].*//')
    pin=(taskset -c "$cpu")
fi
args=()
probe_pid=
probe_file=
for a in "$@"; do
    if [[ $a == -p ]]; then
        other=$(tr ',' '\n' < /sys/devices/system/cpu/online | while IFS=- read -r lo hi; do
            seq "$lo" "${hi:-$lo}"; done | grep -vx "${cpu:-0}" | head -1)
        if [[ -z ${cpu:-} || -z $other ]]; then
            echo "module-bench: -p needs a second processor" >&2
            exit 2
        fi
        probe_file=$(mktemp)
        "$ZELBR_BUILD/cross/host/host_probe" "$probe_file" "$other" &
        probe_pid=$!
        sleep 0.2
        args+=(-p "Z:$(echo "$probe_file" | tr / '\\')")
    else
        args+=("$a")
    fi
done
# The modules use the program's registry root; keep the user's copy.
saved=$(mktemp --suffix=.reg)
trap 'rm -f "$saved" $probe_file; [[ -n $probe_pid ]] && kill $probe_pid 2>/dev/null; true' EXIT
"${pin[@]}" "$root/scripts/session.sh" --xvfb bash -c '
    saved_win=$(winepath -w "$1"); shift
    wine regedit /E "$saved_win" "HKEY_CURRENT_USER\\Software\\Orvane\\Travik\\zelBr" >/dev/null 2>&1
    sync
    wine "$@"; status=$?
    wine reg delete "HKCU\\Software\\Orvane\\Travik\\zelBr" /f >/dev/null 2>&1
    if [ -s "$(winepath -u "$saved_win")" ]; then wine regedit /S "$saved_win" >/dev/null 2>&1; fi
    exit $status
' bash "$saved" "$bench/module_bench.exe" "$dist_win" ${args[@]+"${args[@]}"} | iconv -f CP932 -t UTF-8
