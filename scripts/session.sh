#!/usr/bin/env bash
# Runs a command with one display and one persistent wineserver for its whole
# life: a bare Xvfb when there is no display, the user's display otherwise.
# Usage: scripts/session.sh [--xvfb] command args...
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

# Measurements run on one processor, as on the machines they rate: the
# module references were taken that way, and handing messages between
# processors makes Wine's timings both slower and noisier.
if [[ ${ZELBR_ONE_CPU:-0} == 1 && -z ${ZELBR_PINNED:-} ]]; then
    export ZELBR_PINNED=1
    exec taskset -c 0 "$0" "$@"
fi

force_xvfb=0
if [[ ${1:-} == --xvfb ]]; then force_xvfb=1; shift; fi

xvfb_pid=
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [[ $force_xvfb == 1 || -z ${DISPLAY:-} ]]; then
    n=91
    while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    export ZELBR_HEADLESS=1
fi
# A wineserver left from a run on another display breaks this one.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
"$ZELBR_ROOT/scripts/wineprefix.sh"
wineserver -p
# Start Wine's service processes now, detached from our output: otherwise
# they inherit the caller's pipes and CTest waits for them forever.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
"$@"
