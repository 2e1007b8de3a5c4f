#!/usr/bin/env bash
# Installs what is missing, checks that the source folders stack, builds and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/check-layers.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
