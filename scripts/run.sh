#!/usr/bin/env bash
# Installs what is missing, builds and starts Tabrona on the desktop
# (arguments go to it: a file to open, --zoom 2, or --headless and its
# options to run without a display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
if [ -f build/CMakeCache.txt ]; then
  cmake --build build --target tabrona >/dev/null
else
  scripts/build.sh -DTABRONA_TESTS=OFF -DTABRONA_BENCH=OFF
fi
exec build/bin/tabrona "$@"
