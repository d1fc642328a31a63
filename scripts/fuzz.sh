#!/usr/bin/env bash
# Fuzzes the reading of untrusted files natively with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer.
#   bash scripts/fuzz.sh [seconds] [description|help]   (default 600, description)
# description: item description files and the DIBs in them (seeds in
# fuzz/corpus); help: compiled help files (seeded from the built ones).
# New inputs go to build/fuzz/<target>-corpus; the committed seeds are read
# but never written. Findings are written as build/fuzz/crash-*.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
target=${2:-description}
if ! command -v clang++ >/dev/null; then
    apt-get install -y --no-install-recommends clang >/dev/null
fi
out=$root/build/fuzz
flags=(-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root")
case $target in
description)
    mkdir -p "$out/description-corpus"
    clang++ "${flags[@]}" "$root/fuzz/description_fuzz.cpp" "$root/items/description.cpp" "$root/widgets/dib.cpp" \
        -o "$out/description_fuzz"
    seeds=("$root/fuzz/corpus") ;;
help)
    mkdir -p "$out/help-corpus" "$out/help-seeds"
    cp "$root"/build/cross/dist/*.HLP "$out/help-seeds/" 2>/dev/null || true
    clang++ "${flags[@]}" "$root/fuzz/help_fuzz.cpp" "$root/help/hlpfile.cpp" "$root/help/richtext.cpp" -o "$out/help_fuzz"
    seeds=("$out/help-seeds") ;;
*)
    echo "unknown target $target (description or help)" >&2
    exit 2 ;;
esac
cd "$out"
"./${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/" \
    -max_len=65536 "$target-corpus" "${seeds[@]}"
