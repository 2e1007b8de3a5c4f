#!/usr/bin/env bash
# Configures and builds into build/ (extra arguments go to cmake; without
# any, tests and benchmarks are built too).
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 0 ] && set -- -DTABRONA_TESTS=ON -DTABRONA_BENCH=ON
cmake -S . -B build -G Ninja "$@" >/dev/null
cmake --build build
