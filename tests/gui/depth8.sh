#!/usr/bin/env bash
# Runs a command on a screen of 8 bits per pixel, a palette device: a private
# Xvfb with its own Wine prefix and wineserver, so it can run beside the
# session's 24-bit one.
# Usage: tests/gui/depth8.sh command args...
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/env.sh"
export ZELBR_WINEPREFIX=$ZELBR_BUILD/wineprefix-depth8

xvfb_pid=
cleanup() { [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
# Xvfb picks a free display number itself and tells it through a pipe.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1024x768x8 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 30 -u "$fd" n
exec {fd}<&-
export DISPLAY=":$n"
for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
export ZELBR_HEADLESS=1 ZELBR_SCREEN_DEPTH=8
"$root/scripts/session.sh" "$@"
