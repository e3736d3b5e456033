#!/bin/sh
# cmake --install into a temporary root: every file lands in its XDG place under the prefix,
# the desktop entry, the AppStream metainfo and the MIME package pass their own tools; the
# Python module lands where Debian's interpreter finds it under the prefix.
#   InstallTest.sh BUILD_FOLDER [PYTHON_MODULE_BUILT (ON|OFF)]
set -eu
build=$1
python=${2:-OFF}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
share=$root/usr/share
id=org.plotyra.Plotyra

for f in usr/bin/plotyra usr/bin/plotyra-cli; do
    [ -x "$root/$f" ] || fail "$f is not installed"
done
for pdf in ChartFileStructures.pdf UserGuide.pdf; do
    head -c 5 "$share/doc/plotyra/$pdf" | grep -q '^%PDF-' || fail "no $pdf"
done
for f in surface.p3d volume.p4d style.cpr headerless.txt large/surface-200.p3d \
         import/volcano.csv import/volcano.tsv import/volcano.npy import/volcano.npz; do
    [ -s "$share/plotyra/examples/$f" ] || fail "sample $f is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    for icon in apps/$id mimetypes/application-x-plotyra-3d mimetypes/application-x-plotyra-4d; do
        png=$share/icons/hicolor/${size}x$size/$icon.png
        file "$png" | grep -q "PNG image data, $size x $size" || fail "$png"
    done
done
for icon in apps/$id mimetypes/application-x-plotyra-3d mimetypes/application-x-plotyra-4d; do
    grep -q '<svg' "$share/icons/hicolor/scalable/$icon.svg" || fail "scalable $icon"
done

entry=$share/applications/$id.desktop
grep -qx 'Exec=plotyra %f' "$entry" || fail "Exec line of $entry"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate"
else
    echo "desktop-file-validate is not installed: not checked"
fi
metainfo=$share/metainfo/$id.metainfo.xml
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate"
else
    echo "appstreamcli is not installed: not checked"
fi

# The types the entry opens are the ones the MIME package and the metainfo describe.
types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' '\n' | sed '/^$/d' | sort)
[ "$types" = "$(grep -o 'mime-type type="[^"]*"' "$share/mime/packages/$id.xml" |
                 cut -d'"' -f2 | sort)" ] || fail "MIME package types differ from $types"
[ "$types" = "$(sed -n 's:.*<mediatype>\(.*\)</mediatype>.*:\1:p' "$metainfo" | sort)" ] ||
    fail "metainfo media types differ from $types"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$share/mime" || fail "update-mime-database"
    grep -q '^50:application/x-plotyra-p3d:\*\.p3d$' "$share/mime/globs2" || fail "p3d glob"
    grep -q '^50:application/x-plotyra-p4d:\*\.p4d$' "$share/mime/globs2" || fail "p4d glob"
fi

if [ "$python" = ON ]; then
    for f in __init__.py _plotyra.cpython-*.so; do
        ls "$root"/usr/lib/python3/dist-packages/plotyra/$f >/dev/null 2>&1 ||
            fail "the Python module's $f is not in /usr/lib/python3/dist-packages"
    done
    # Under a user's prefix: the user site-packages, where the interpreter looks by itself.
    user=$root/home/.local
    cmake --install "$build" --prefix "$user" --component python >/dev/null
    PYTHONUSERBASE=$user XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data \
        QT_QPA_PLATFORM=offscreen \
        /usr/bin/python3 -c "import plotyra, numpy
assert plotyra.__file__.startswith('$user/lib/python3'), plotyra.__file__
assert plotyra.render(numpy.eye(3), size=(40, 30)).shape == (30, 40, 3)" ||
        fail "the module installed under $user cannot be imported and draw"
fi
echo "installed files checked"
