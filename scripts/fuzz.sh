#!/usr/bin/env bash
# Builds the libFuzzer target for the portable bitmap reader (Debian's clang, with
# AddressSanitizer and UBSan) outside the normal build, and runs it for a while.
#   scripts/fuzz.sh [seconds] [jobs]     default: 600 seconds, 1 job
# The corpus starts from the bitmap test suite and grows in build-fuzz/corpus; any input
# that crashes is kept in build-fuzz/ as crash-* and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
jobs=${2:-1}
out=build-fuzz
mkdir -p "$out/corpus"

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I renderer -I common renderer/dib.cpp tests/fuzz/dib_fuzz.cpp -o "$out/dib_fuzz"

# Seeds: every picture of the suite (the corpus folder keeps what the fuzzer finds).
mkdir -p "$out/seeds"
find tests/data/bmpsuite -name '*.bmp' -exec cp {} "$out/seeds/" \;

cd "$out"
# 64 KiB inputs cover every header, colour table and RLE case; larger ones only slow it.
options=(-max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1)
if [ "$jobs" -gt 1 ]; then
  options+=(-jobs="$jobs" -workers="$jobs")   # each job logs to fuzz-<n>.log
fi
./dib_fuzz "${options[@]}" corpus seeds
