#!/usr/bin/env bash
# Installs the Debian 12 packages that a command needs, when they are
# missing: `run` (build and start the program), `test` (build and run every
# test, the sanitizers and the desktop checks too), `fuzz` (the libFuzzer
# targets) or `bench` (the end-to-end timing). Without an argument: all of them. Runs apt-get as root or
# through sudo; without either it names what is missing and exits 1.
set -euo pipefail

run=(g++ cmake ninja-build pkg-config libutf8proc-dev libpng-dev qt6-base-dev libgl-dev libncurses-dev libtermkey-dev
     libxlsxwriter-dev libzip-dev libexpat1-dev)
test=("${run[@]}" libgtest-dev libgmock-dev libbenchmark-dev libfreetype-dev fonts-dejavu-core
      xvfb xauth x11-apps netpbm xdotool tmux python3-openpyxl gnumeric)
fuzz=("${run[@]}" clang libclang-rt-14-dev)
bench=("${run[@]}" libbenchmark-dev hyperfine time)

case "${1:-all}" in
  run) packages=("${run[@]}") ;;
  test) packages=("${test[@]}") ;;
  fuzz) packages=("${fuzz[@]}") ;;
  bench) packages=("${bench[@]}") ;;
  all) packages=("${test[@]}" clang libclang-rt-14-dev hyperfine time) ;;
  *) echo "usage: $0 [run|test|fuzz|bench]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
  apt_get=(sudo apt-get)
else
  echo "Missing packages: ${missing[*]}; install them as root with: apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update
"${apt_get[@]}" install -y --no-install-recommends "${missing[@]}"
