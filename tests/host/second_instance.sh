#!/usr/bin/env bash
# A running Tabrona opens the file of a second `tabrona FILE`, which hands
# it over and ends at once.
set -euo pipefail
tabrona="$1"
work="$(mktemp -d)"
export XDG_STATE_HOME="$work/state"
trap 'kill "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
printf 'Z1S1:000000000000F002>Erste\r' >"$work/first.calc"
printf 'Z1S1:000000000000F002>Zweite\r' >"$work/second.calc"
"$tabrona" "$work/first.calc" >"$work/log" 2>&1 &
first=$!
opened() { grep -q "Path = $work/$1" "$work/log" && [ "$(grep -c 'TabronaLoadFile: Read calculation' "$work/log")" -ge "$2" ]; }
for _ in $(seq 100); do opened first.calc 1 && break; sleep 0.1; done
opened first.calc 1 || { echo "the first run did not open its file"; cat "$work/log"; exit 1; }
cd "$work"
timeout 5 "$tabrona" second.calc
for _ in $(seq 50); do opened second.calc 2 && exit 0; sleep 0.1; done
echo "the running Tabrona did not open second.calc"
cat "$work/log"
exit 1
