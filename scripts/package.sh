#!/usr/bin/env bash
# Sets up, builds and writes the release package build/ZELBR.ZIP: the
# program folder ZELBR\ as it goes onto one 1.44 MB floppy.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/env.sh"
if [[ $ZELBR_ARCH != i686 ]]; then
    echo "package: the $ZELBR_ARCH build never ships; only an i686 build is packaged" >&2
    exit 1
fi
dist=$ZELBR_BUILD/cross/dist
stage=$ZELBR_BUILD/package
zipfile=$ZELBR_BUILD/ZELBR.ZIP
floppy=1457664   # what a 1.44 MB floppy holds for files

rm -rf "$stage" "$zipfile"
mkdir -p "$stage/ZELBR"
files=(ZELBR.EXE ZBHELP.EXE ZELBR.HLP)
# Every bundled item: its module, its description and its help file.
for bnc in "$dist"/*.BNC; do
    base=$(basename "$bnc" .BNC)
    files+=("$base.BNC" "$base.MCR")
    [[ -f $dist/$base.HLP ]] && files+=("$base.HLP")
done
echo "executables, as built and stripped:"
for f in "${files[@]}"; do
    case $f in
    *.EXE | *.BNC)
        "$ZELBR_ARCH-w64-mingw32-strip" --strip-all -o "$stage/ZELBR/$f" "$dist/$f"
        printf '  %-14s %9d -> %9d bytes\n' "$f" "$(stat -c %s "$dist/$f")" "$(stat -c %s "$stage/ZELBR/$f")"
        ;;
    *) cp "$dist/$f" "$stage/ZELBR/" ;;
    esac
done
# The readme in code page 932 with CR LF, as Windows 95's Notepad reads it.
iconv -f UTF-8 -t CP932 "$root/docs/package-readme.txt" | sed 's/$/\r/' > "$stage/ZELBR/README.TXT"

# Every name a valid 8.3 name: upper case letters, digits and _ - only.
bad=0
for path in "$stage/ZELBR" "$stage"/ZELBR/*; do
    name=$(basename "$path")
    if ! [[ $name =~ ^[A-Z0-9_-]{1,8}(\.[A-Z0-9_-]{1,3})?$ ]]; then
        echo "package: $name is not an 8.3 name" >&2
        bad=1
    fi
done
((bad == 0)) || exit 1

(cd "$stage" && TZ=UTC zip -q -X -9 -r "$zipfile" ZELBR)

total=$(du -cb "$stage"/ZELBR/* | tail -1 | cut -f1)
size=$(stat -c %s "$zipfile")
printf 'folder: %d files, %d bytes\n' "$(ls "$stage/ZELBR" | wc -l)" "$total"
printf '%s: %d bytes (a floppy holds %d)\n' "$zipfile" "$size" "$floppy"
if ((size > floppy)); then
    echo "package: ZELBR.ZIP does not fit one floppy" >&2
    exit 1
fi
