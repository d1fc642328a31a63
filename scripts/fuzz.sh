#!/usr/bin/env bash
# Fuzzes the reading of item description files and DIBs natively with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#   bash scripts/fuzz.sh [seconds]     (default 600)
# New inputs go to build/fuzz/corpus; the committed seeds in fuzz/corpus are
# read but never written. Findings are written as build/fuzz/crash-*.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
if ! command -v clang++ >/dev/null; then
    apt-get install -y --no-install-recommends clang >/dev/null
fi
out=$root/build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "$root/fuzz/description_fuzz.cpp" "$root/items/description.cpp" "$root/widgets/dib.cpp" \
    -o "$out/description_fuzz"
cd "$out"
./description_fuzz -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/" \
    -max_len=10000 corpus "$root/fuzz/corpus"
