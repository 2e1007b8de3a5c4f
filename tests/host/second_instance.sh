#!/usr/bin/env bash
# A running Tabrona takes the file of a second `tabrona FILE`, which hands
# it over and ends at once.
set -euo pipefail
tabrona="$1"
work="$(mktemp -d)"
trap 'kill "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
touch "$work/first.calc" "$work/second.calc"
"$tabrona" "$work/first.calc" >"$work/log" 2>&1 &
first=$!
for _ in $(seq 100); do
  grep -q "not built yet: $work/first.calc" "$work/log" && break
  sleep 0.1
done
grep -q "not built yet: $work/first.calc" "$work/log" || { echo "first run did not open its file"; cat "$work/log"; exit 1; }
cd "$work"
timeout 5 "$tabrona" second.calc
for _ in $(seq 50); do
  grep -q "not built yet: $work/second.calc" "$work/log" && exit 0
  sleep 0.1
done
echo "the running Tabrona did not open second.calc"
cat "$work/log"
exit 1
