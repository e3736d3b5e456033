#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when all are present.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libqt6opengl6-dev
          libosmesa6-dev libgl-dev libglu1-mesa-dev libjpeg-dev fonts-liberation2
          xvfb xauth libgtest-dev libgmock-dev libbenchmark-dev
          pkgconf libglib2.0-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
