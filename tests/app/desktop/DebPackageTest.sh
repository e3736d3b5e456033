#!/bin/sh
# cpack -G DEB: the package holds exactly the files cmake --install puts under /usr and
# depends on the libraries the programs link and open at run time.
#   DebPackageTest.sh BUILD_FOLDER
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/plotyra_*.deb)
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null

(cd "$work/root" && find . ! -type d | sed 's:^\.::' | sort) >"$work/installed"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's:^\.::' | sort >"$work/packaged"
diff "$work/installed" "$work/packaged" || fail "the package does not hold the installed files"

[ "$(dpkg-deb -f "$deb" Package)" = plotyra ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 libgl1 libosmesa6 libglu1-mesa fonts-liberation2; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$p\( \|$\)" || fail "Depends lacks $p: $depends"
done
# The packaged (stripped) tool reads a packaged sample.
dpkg-deb -x "$deb" "$work/unpacked"
"$work/unpacked/usr/bin/plotyra-cli" info "$work/unpacked/usr/share/plotyra/examples/volume.p4d" |
    grep -q '"result":0,"kind":"dk4D"' || fail "the packaged plotyra-cli cannot read a sample"
echo "package $(basename "$deb") checked"
