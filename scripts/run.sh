#!/usr/bin/env bash
# Installs what is missing, builds and starts Tabrona (arguments go to it).
# Until the desktop host exists the program runs headless; without
# arguments it shows its first screen as text.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ $# -eq 0 ]; then
  exec build/src/tabrona --headless --screen /dev/stdout --log /dev/null
fi
exec build/src/tabrona "$@"
