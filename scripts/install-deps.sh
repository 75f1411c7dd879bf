#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  libpng-dev zlib1g-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libtomlplusplus-dev nlohmann-json3-dev libcli11-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
