#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when all are present.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libqt6opengl6-dev
          libosmesa6-dev libgl-dev libglu1-mesa-dev libjpeg-dev fonts-liberation2
          xvfb xauth libgtest-dev libgmock-dev libbenchmark-dev)
# Desktop files: the icons are rendered from SVG at build time (qt6-svg-dev); the tests validate
# the installed files with their own tools and build the .deb (dpkg-dev, file).
packages+=(qt6-svg-dev desktop-file-utils appstream shared-mime-info dpkg-dev file)
# The desktop's recently-used list is kept through GLib's bookmark files.
packages+=(pkgconf libglib2.0-dev)

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
