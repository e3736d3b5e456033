#!/bin/sh
# scripts/guide-pictures.sh makes every picture the user guide shows, from this build's
# programs, and each is a picture of some size (a window grabbed black or empty would still be
# a file, so the sizes are checked too).
#   GuidePicturesTest.sh SOURCE_FOLDER BUILD_FOLDER
set -eu
source=$1
build=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

sh "$source/scripts/guide-pictures.sh" "$build" "$out" >"$out/made.txt"
pictures=$(grep -o 'images/guide/[A-Za-z0-9._-]*\.png' "$source/docs/UserGuide.md" | sort -u)
[ -n "$pictures" ] || fail "the guide shows no pictures"
for picture in $pictures; do
    name=${picture#images/guide/}
    file "$out/$name" | grep -q 'PNG image data' || fail "$name was not made"
    size=$(file "$out/$name" | sed -n 's/.*PNG image data, \([0-9]*\) x \([0-9]*\).*/\1 \2/p')
    set -- $size
    [ "$1" -ge 150 ] && [ "$2" -ge 80 ] || fail "$name is only $1 x $2"
    # A grab of a window that was not drawn is one flat colour: its PNG is tiny.
    [ "$(wc -c <"$out/$name")" -ge 3000 ] || fail "$name holds (almost) nothing"
done
