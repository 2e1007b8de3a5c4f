#!/usr/bin/env bash
# Times `tabrona --export` as a whole process on three full Calculations of
# 999 x 100 cells, made with `tabrona --import` from generated text:
#   W1 numbers in row 1, =Z{r-1}S{c}+1 below;
#   W2 a short text in every cell;
#   W3 numbers in row 1, a formula of four functions of the cell above below.
# Prints hyperfine's figures, the median of each, the peak memory of one
# run, and the time of a run after 20 s without any (runs back to back find
# memory the kernel has just freed; a run after a pause may have to wait
# for it, as a user's usually does). Usage: bench/end_to_end.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
build="${1:-build}"
tabrona="$build/bin/tabrona"
[ -x "$tabrona" ] || { echo "end_to_end: build first: $tabrona is missing" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One generated sheet: row 1 from `first`, rows 2-999 from `below` (awk, with
# r and c for the row and column).
sheet() {
  awk -v first="$2" -v below="$3" 'BEGIN {
    for (r = 1; r <= 999; r++) {
      line = "";
      for (c = 1; c <= 100; c++) {
        p = r - 1;
        cell = (r == 1) ? first : below;
        gsub(/\{p\}/, p, cell); gsub(/\{c\}/, c, cell); gsub(/\{r\}/, r, cell);
        line = line (c > 1 ? "\t" : "") cell;
      }
      printf "%s\r", line;
    }
  }' >"$work/$1.txt"
  "$tabrona" --import "$work/$1.txt" "$work/$1.calc"
}

sheet W1 '{c}' '=Z{p}S{c}+1'
sheet W2 'Wort{c}' 'Wort{c}'
sheet W3 '{c}' '=Round(Sin(Z{p}S{c}),2)+Sqrt(Abs(Z{p}S{c}))+Val(Str$(Z{p}S{c}))/2'

for w in W1 W2 W3; do
  hyperfine --warmup 3 --runs 20 --style basic --export-json "$work/$w.json" -n "$w" \
    "$tabrona --export $work/$w.calc $work/$w.out"
  median=$(grep -o '"median": [0-9.e-]*' "$work/$w.json" | head -n 1 | awk '{printf "%.1f", $2 * 1000}')
  echo "$w median: $median ms"
  /usr/bin/time -f "$w peak memory: %M KB" "$tabrona" --export "$work/$w.calc" "$work/$w.out"
  sleep 20
  start=$(date +%s%N)
  "$tabrona" --export "$work/$w.calc" "$work/$w.out"
  echo "$w after a pause: $(( ($(date +%s%N) - start) / 1000000 )) ms"
done
