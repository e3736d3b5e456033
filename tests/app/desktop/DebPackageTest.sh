#!/bin/sh
# cpack -G DEB: the package holds exactly the files cmake --install puts under /usr, depends
# on the libraries the programs link and open at run time, and carries its licence.
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
for p in libqt6widgets6 libqt6gui6 libqt6core6 libqt6svg6 libgl1 libosmesa6 libglu1-mesa \
         fonts-liberation2; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$p\( \|$\)" || fail "Depends lacks $p: $depends"
done
# The packaged (stripped) tool reads a packaged sample.
dpkg-deb -x "$deb" "$work/unpacked"
"$work/unpacked/usr/bin/plotyra-cli" info "$work/unpacked/usr/share/plotyra/examples/volume.p4d" |
    grep -q '"result":0,"kind":"dk4D"' || fail "the packaged plotyra-cli cannot read a sample"

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
