#!/usr/bin/env bash
# Installs the Debian 12 packages Tabrona needs to build, test and fuzz,
# when they are missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libutf8proc-dev libpng-dev
  libfreetype-dev fonts-dejavu-core
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
else
  apt_get=(sudo apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update
"${apt_get[@]}" install -y --no-install-recommends "${missing[@]}"
