#!/usr/bin/env bash
# A running Tabrona opens the file of a second `tabrona FILE`, which hands
# it over and ends at once; neither says anything on standard error, the
# log goes to the log file in the state folder.
set -euo pipefail
tabrona="$1"
work="$(mktemp -d)"
export XDG_STATE_HOME="$work/state"
trap 'kill "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
printf 'Z1S1:000000000000F002>Erste\r' >"$work/first.calc"
printf 'Z1S1:000000000000F002>Zweite\r' >"$work/second.calc"
log="$XDG_STATE_HOME/Tabrona/tabrona.log"
"$tabrona" "$work/first.calc" >"$work/out" 2>"$work/err" &
first=$!
opened() { grep -q "Path = $work/$1" "$log" 2>/dev/null && [ "$(grep -c 'TabronaLoadFile: Read calculation' "$log")" -ge "$2" ]; }
for _ in $(seq 100); do opened first.calc 1 && break; sleep 0.1; done
opened first.calc 1 || { echo "the first run did not open its file"; cat "$log"; exit 1; }
cd "$work"
timeout 5 "$tabrona" second.calc 2>>"$work/err"
for _ in $(seq 50); do opened second.calc 2 && break; sleep 0.1; done
opened second.calc 2 || { echo "the running Tabrona did not open second.calc"; cat "$log"; exit 1; }
if [ -s "$work/err" ] || [ -s "$work/out" ]; then echo "something was said on the terminal:"; cat "$work/out" "$work/err"; exit 1; fi
