#!/usr/bin/env bash
# Creates (once) and configures the project's own Wine prefix: Windows 95
# family, a virtual desktop, Japanese font replacements, no crash dialog.
# Needs a display (run it inside scripts/session.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

stamp=$WINEPREFIX/.zelbr-configured
settings=$ZELBR_ROOT/scripts/wine-settings.reg
if [[ -f $stamp && $stamp -nt $settings && "$(cat "$stamp")" == "$WINEARCH" ]]; then
    exit 0
fi
# A prefix of the other architecture cannot be reused.
if [[ -f $stamp && "$(cat "$stamp")" != "$WINEARCH" ]]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"
echo "wineprefix: preparing $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
# regedit wants the Unicode export format for the Japanese value names.
tmp=$(mktemp --suffix=.reg)
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$settings"; } > "$tmp"
wine regedit /S "$(winepath -w "$tmp")" >/dev/null 2>&1
rm -f "$tmp"
wineserver -w
echo "$WINEARCH" > "$stamp"
