#!/bin/sh
# cpack -G DEB: the packages (plotyra, and python3-plotyra when the Python module is built) hold
# exactly the files cmake --install puts under /usr, depend on the libraries the programs link and
# open at run time, and carry their licence.
#   DebPackageTest.sh BUILD_FOLDER [PYTHON_MODULE_BUILT (ON|OFF)]
set -eu
build=$1
python=${2:-OFF}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/plotyra_*.deb)
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null

debs=$deb
if [ "$python" = ON ]; then
    pydeb=$(ls "$work"/out/python3-plotyra_*.deb)
    debs="$deb $pydeb"
fi

(cd "$work/root" && find . ! -type d | sed 's:^\.::' | sort) >"$work/installed"
for d in $debs; do
    dpkg-deb -c "$d" | awk '$1 !~ /^d/ { print $6 }' | sed 's:^\.::'
done | sort >"$work/packaged"
diff "$work/installed" "$work/packaged" || fail "the packages do not hold the installed files"
if [ "$python" = ON ]; then
    dpkg-deb -c "$deb" | grep -q dist-packages && fail "plotyra holds the Python module"
    [ "$(dpkg-deb -f "$pydeb" Package)" = python3-plotyra ] || fail "python package name"
    pydepends=$(dpkg-deb -f "$pydeb" Depends)
    for p in python3-numpy plotyra python3 libqt6gui6; do
        echo "$pydepends" | tr ',' '\n' | grep -q "^ *$p\( \|$\)" ||
            fail "python3-plotyra's Depends lacks $p: $pydepends"
    done
    # The packaged module, stripped, draws with the packaged tool's libraries.
    dpkg-deb -x "$pydeb" "$work/pyroot"
    PYTHONPATH=$work/pyroot/usr/lib/python3/dist-packages XDG_CONFIG_HOME=$work/config \
        XDG_DATA_HOME=$work/data \
        QT_QPA_PLATFORM=offscreen /usr/bin/python3 -c "import plotyra, numpy
assert plotyra.render(numpy.eye(3), size=(40, 30)).shape == (30, 40, 3)" ||
        fail "the packaged Python module cannot draw"
fi

[ "$(dpkg-deb -f "$deb" Package)" = plotyra ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 libqt6svg6 libgl1 libosmesa6 libglu1-mesa \
         fonts-liberation2 libpng16-16; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$p\( \|$\)" || fail "Depends lacks $p: $depends"
done
# The packaged (stripped) tool reads a packaged sample.
dpkg-deb -x "$deb" "$work/unpacked"
"$work/unpacked/usr/bin/plotyra-cli" info "$work/unpacked/usr/share/plotyra/examples/volume.p4d" |
    grep -q '"result":0,"kind":"dk4D"' || fail "the packaged plotyra-cli cannot read a sample"
# A GeoTIFF sample goes through the packaged readers' module (the dynamic loader names the one
# it loads), not through this build tree's.
LD_DEBUG=files "$work/unpacked/usr/bin/plotyra-cli" info \
    "$work/unpacked/usr/share/plotyra/examples/import/volcano.tif" 2>"$work/loads.txt" |
    grep -q '"result":0,"kind":"dk3D"' || fail "the packaged plotyra-cli cannot read a GeoTIFF"
grep -q "file=$work/unpacked/usr/lib/plotyra/plotyra-formats.so " "$work/loads.txt" ||
    fail "the packaged plotyra-cli did not load the packaged readers' module"

# The licence: Debian's machine-readable copyright file, readable by all, naming the MIT
# licence with its full text, and the same licence in the metainfo.
copyright=./usr/share/doc/plotyra/copyright
dpkg-deb -c "$deb" | awk -v f="$copyright" '$6 == f { print $1 }' | grep -qx -- '-rw-r--r--' ||
    fail "$copyright is missing or not mode 0644"
copyright=$work/unpacked/$copyright
[ "$(head -n 1 "$copyright")" = \
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "copyright is not in the machine-readable format"
# Every line is a field, a continuation (one blank first) or the empty line between stanzas.
awk '!/^$/ && !/^[A-Za-z-]+: ?/ && !/^ / { bad = 1 } END { exit bad }' "$copyright" ||
    fail "copyright has a line that is neither a field nor a continuation"
grep -qx 'Files: \*' "$copyright" || fail "copyright names no files"
grep -qx 'Copyright: [0-9]* The Plotyra developers' "$copyright" || fail "copyright notice"
[ "$(grep -cx 'License: MIT' "$copyright")" = 2 ] || fail "copyright lacks the MIT stanza"
grep -q '^ Permission is hereby granted, free of charge' "$copyright" &&
    grep -q '^ THE SOFTWARE IS PROVIDED "AS IS"' "$copyright" || fail "copyright lacks the MIT text"
metainfo=$work/unpacked/usr/share/metainfo/org.plotyra.Plotyra.metainfo.xml
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "metainfo project_license"
grep -q '<release version="[^"]*" date="[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]"/>' "$metainfo" ||
    fail "metainfo release date"
echo "package $(basename "$deb") checked"
