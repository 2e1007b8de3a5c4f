#!/usr/bin/env bash
# Builds under ThreadSanitizer and runs what exercises the threads: the
# event stress test (host thread, program thread and hook threads on the
# queues), the runner driving the real program, file-open requests
# included, and the desktop host typing 10,000 keys through Qt events and
# pacing its refreshes. Any data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake -S . -B build-tsan -G Ninja -DTABRONA_TSAN=ON -DTABRONA_BENCH=OFF >/dev/null
cmake --build build-tsan --target event_stress_tests app_tests host_tests tabrona
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build-tsan/tests/input/event_stress_tests
TABRONA_OPEN_RUNS=8 build-tsan/tests/app/app_tests --gtest_filter='RunnerTest.Opening*:Runner/ScreenCase.*/typed_entries'
# One process per host test, as ctest runs them: each leaves its program
# thread behind.
for test in '*TenThousand*' '*Pacing*'; do
  QT_QPA_PLATFORM=offscreen build-tsan/bin/host_tests --gtest_filter="$test"
done
