#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (seconds, default 30), seeded from the committed resources.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTABRONA_FUZZ=ON >/dev/null
cmake --build build-fuzz --target fuzz_font
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
mkdir -p "$corpus/font"
cp resources/*.font "$corpus/font/"
build-fuzz/fuzz/fuzz_font -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus/font" 2>&1 | tail -n 12
