#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (seconds, default 30), seeded from the committed resources and from sample
# formulas written below.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh fuzz
seconds="${1:-30}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTABRONA_FUZZ=ON >/dev/null
cmake --build build-fuzz --target fuzz_font fuzz_formula fuzz_calculation_file fuzz_paste_text fuzz_macro_file fuzz_datafile \
  fuzz_workbook fuzz_csv
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
mkdir -p "$corpus/font"
cp resources/*.font "$corpus/font/"
build-fuzz/fuzz/fuzz_font -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus/font" 2>&1 | tail -n 12

# Formulas: one seed per line, covering every kind of primary and operator;
# the dictionary hands the fuzzer whole tokens.
mkdir -p "$corpus/formula"
i=0
while IFS= read -r seed; do
  printf '%s' "$seed" >"$corpus/formula/seed$i"
  i=$((i + 1))
done <<'SEEDS'
1+2*3-4/5%6\7^2
-2^2 << 3 >> 1 & 6 | 3 ~ 5 && 1 || 0 ~~ 1
1 < 2 =< 3 !> 4 >= 5 => 6 !< 7 = 8 == 9 !# 1 # 2 <> 3 >< 4 != 5
!0 + !(-5) + -(0)
0xffffffffffffffff + 0x10 + 1.5e-3 + .5 + 1 2 + 1.2.3
"abc" + "def" < "abd" + "
Mid$("abcdef", 2, 3) + Left$(Str$(Round(2.5, 0)), 1) + Hex$(255)
Sum(1, Abs(-2), Max(3, Min(4, 5)), IndCell(0)) * e + e()
Void(Var("x$", "ab")) + Len(x$ + x$) + Void(Var("y", 2)) + y
Z1S1 * 2 + Len(Z1S2) + Z2S1 + z999s100 + Price + Len(Name$) + Result
((((1)))) + (1,2) + Abs 1 + Round(1) + e( + unknown + 1 =# 2
SEEDS
printf '%s\n' '"<<"' '">>"' '"=<"' '"!#"' '"0x"' '"e+"' '"Z1S1"' '"Mid$("' '"Var("' \
  '"Repeat$("' '"IndCell("' '"Price"' '"Name$"' '"\xF0"' '"(("' '"))"' >"$corpus/formula.dict"
build-fuzz/fuzz/fuzz_formula -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -dict="$corpus/formula.dict" -print_final_stats=1 "$corpus/formula" 2>&1 | tail -n 12

# Calculation files: the committed one and a few lines of every kind.
mkdir -p "$corpus/calc"
cp tests/app/calcs/*.calc "$corpus/calc/"
printf 'S2:15\rZ1S1:000000000000F002>Hallo\rZ4S4:000000000000E000>\rZ5S2:000000000003F003>=Z2S2*2\r' >"$corpus/calc/seed"
printf '%s\n' '"\x0d"' '"Z1S1:"' '"000000000000F002>"' '"S1:"' '">="' '"\x1b20AC\x1d"' >"$corpus/calc.dict"
build-fuzz/fuzz/fuzz_calculation_file -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$corpus/calc.dict" -print_final_stats=1 "$corpus/calc" 2>&1 | tail -n 12

# Pastes: cells, tabs, line ends, quotes and attribute words.
mkdir -p "$corpus/paste"
printf '\001\002a\tb\rc\r\n"x\ty"\t"sagt ""ja"""\tG\303\274te\003000000000004F002\t=1+2\n' >"$corpus/paste/seed"
printf '%s\n' '"\x09"' '"\x0d"' '"\x0a"' '"\x22"' '"\x03000000000000F002"' '"=Z1S1+1"' >"$corpus/paste.dict"
build-fuzz/fuzz/fuzz_paste_text -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$corpus/paste.dict" -print_final_stats=1 "$corpus/paste" 2>&1 | tail -n 12

# Macro files: lines of every kind.
mkdir -p "$corpus/macro"
printf 'Macro 001 = 48616C6C6F\rMacro 095 = \rMacro 200 = 41\rMacro  -3 = 4\r' >"$corpus/macro/seed"
build-fuzz/fuzz/fuzz_macro_file -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -print_final_stats=1 "$corpus/macro" 2>&1 | tail -n 12

# Datafiles: the committed one, and instructions of every kind.
mkdir -p "$corpus/datafile"
cp tests/app/calcs/*.datb "$corpus/datafile/"
printf '%s\n' '"T0000000001  "' '"F0000000001S "' '"R0000000001"' '"\x0d"' '"\x0a"' '"           "' >"$corpus/datafile.dict"
build-fuzz/fuzz/fuzz_datafile -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$corpus/datafile.dict" -print_final_stats=1 "$corpus/datafile" 2>&1 | tail -n 12

# Workbooks (the first byte picks xlsx, ods or a formula of either
# dialect): openpyxl's and Gnumeric's files, where they are installed.
mkdir -p "$corpus/workbook"
printf '\002=ROUND(A1,2)+SIN($B$2)&"x"' >"$corpus/workbook/formula-xlsx"
printf '\003of:=[.A1]+MID("abc";2;1)' >"$corpus/workbook/formula-ods"
if /usr/bin/python3 tests/workbook/interop.py make "$corpus/sample.xlsx" 2>/dev/null; then
  { printf '\000'; cat "$corpus/sample.xlsx"; } >"$corpus/workbook/xlsx"
  if ssconvert "$corpus/sample.xlsx" "$corpus/sample.ods" >/dev/null 2>&1; then
    { printf '\001'; cat "$corpus/sample.ods"; } >"$corpus/workbook/ods"
  fi
fi
build-fuzz/fuzz/fuzz_workbook -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -print_final_stats=1 "$corpus/workbook" 2>&1 | tail -n 12

# CSV: separators, quotes, a byte-order mark, Windows-1252, numbers.
mkdir -p "$corpus/csv"
printf '\357\273\277Name;Betrag\r\n"M\374l;ler";1.234,50\r\n' >"$corpus/csv/seed"
printf 'a,b\n1.5,"x,""y"""\n' >"$corpus/csv/comma"
printf '%s\n' '";"' '","' '"\x09"' '"\x22"' '"\x0d\x0a"' '"\xef\xbb\xbf"' '"1.234,5"' >"$corpus/csv.dict"
build-fuzz/fuzz/fuzz_csv -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$corpus/csv.dict" -print_final_stats=1 "$corpus/csv" 2>&1 | tail -n 12
