#!/usr/bin/env bash
# Installs the Debian packages a task needs; does nothing when all are present.
#   scripts/deps.sh viewer   what building and running the programs needs (run.sh)
#   scripts/deps.sh test     that plus the test, benchmark and fuzz tools (test.sh, the default)
set -euo pipefail

# The viewer's desktop files are rendered from SVG at build time (qt6-svg-dev); the desktop's
# recently-used list is kept through GLib's bookmark files (pkgconf, libglib2.0-dev); the
# importers read NumPy's .npz archives with libzip (libzip-dev), NetCDF and HDF5 files with
# their own libraries (libnetcdf-dev, libhdf5-dev) and GeoTIFF rasters with libtiff and
# libgeotiff (libtiff-dev, libgeotiff-dev); chart pictures are written as PNG through libpng
# (libpng-dev).
viewer=(cmake ninja-build g++ qt6-base-dev libqt6opengl6-dev libosmesa6-dev libgl-dev
        libglu1-mesa-dev libjpeg-dev fonts-liberation2 qt6-svg-dev pkgconf libglib2.0-dev
        libzip-dev libnetcdf-dev libhdf5-dev libtiff-dev libgeotiff-dev libpng-dev)
# The tests also validate the installed desktop files with their own tools and build the .deb
# (desktop-file-utils, appstream, shared-mime-info, dpkg-dev, file); xclip reads the clipboard as
# another X client. clang-format checks the sources' layout; python3 runs the parameter-count
# check (scripts/check-params.py). The Python module is built with pybind11 against Debian's
# interpreter (python3-dev, pybind11-dev) and tested with pytest on NumPy arrays
# (python3-pytest, python3-numpy). The importer samples' generator writes its NetCDF and HDF5
# files with the NetCDF library's ncgen (netcdf-bin). gdb writes the stack of a test that hangs.
testing=(clang clang-format libclang-rt-14-dev xvfb xauth xclip libgtest-dev libgmock-dev
         libbenchmark-dev desktop-file-utils appstream shared-mime-info dpkg-dev file python3
         python3-dev pybind11-dev python3-numpy python3-pytest netcdf-bin gdb)

case "${1:-test}" in
    viewer) packages=("${viewer[@]}") ;;
    test) packages=("${viewer[@]}" "${testing[@]}") ;;
    *) echo "usage: $0 [viewer|test]" >&2; exit 2 ;;
esac

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
