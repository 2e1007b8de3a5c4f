#!/usr/bin/env bash
# Builds the event stress test under ThreadSanitizer and runs it: the queues
# between the host thread, the program thread and the hook threads must
# show no data race.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DTABRONA_TSAN=ON -DTABRONA_BENCH=OFF >/dev/null
cmake --build build-tsan --target event_stress_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/runtime/event_stress_tests
