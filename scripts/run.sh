#!/usr/bin/env bash
# Sets up, builds and starts the program. With a display it opens there;
# without one it runs on a private Xvfb, measures every selected item once
# (simple mode), prints the scores and saves a screenshot in each display mode.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/env.sh"

export ZELBR_ONE_CPU=1
if [[ -n ${DISPLAY:-} ]]; then
    exec "$root/scripts/session.sh" wine "$ZELBR_BUILD/dist/ZELBR.EXE"
fi
shot=$ZELBR_BUILD/screenshot.png
other=$ZELBR_BUILD/screenshot-other-mode.png
rm -f "$shot" "$other"
dist_win="Z:$(readlink -f "$ZELBR_BUILD/dist" | tr / '\\')"
shot_win="Z:$(echo "$shot" | tr / '\\')"
other_win="Z:$(echo "$other" | tr / '\\')"
# The tool writes code page 932; the terminal reads UTF-8.
"$root/scripts/session.sh" --xvfb wine "$ZELBR_BUILD/cross/tests/showcase.exe" --measure "$dist_win" "$shot_win" "$other_win" | iconv -f CP932 -t UTF-8
if [[ -s $shot ]]; then
    echo "screenshots: $shot $other"
else
    echo "no screenshot was written" >&2
    exit 1
fi
