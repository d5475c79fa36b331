#!/usr/bin/env bash
# Installs, with apt-get, whichever of the build's Debian packages are missing.
# Extra package names may be given as arguments.
set -euo pipefail
packages=(cmake g++ ninja-build libgtest-dev libgmock-dev libbenchmark-dev libboost-dev "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
