#!/bin/sh
# The user guide's pictures (docs/UserGuide.md), made by the programs of a build so they show
# what the programs do today: the viewer's windows and dialog pages through
# plotyra-guide-pictures under Xvfb, and what each setting of the "4th Dim." page does through
# plotyra-cli render. Settings go to a temporary folder; nothing of the user's is touched.
# Usage: scripts/guide-pictures.sh [BUILD_DIR [OUT_DIR]]   (defaults: build/dev, docs/images/guide)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/dev}
out=${2:-$root/docs/images/guide}
cli=$build/app/plotyra-cli
shots=$build/app/desktop/plotyra-guide-pictures
for program in "$cli" "$shots"; do
    [ -x "$program" ] || { echo "guide-pictures: $program is not built" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$out" "$work/config" "$work/data"
mkdir -m 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"

# A volume of two blobs, 16 points along each axis, and a property file per setting shown.
/usr/bin/python3 - "$root/examples" "$work/blobs.txt" <<'PY'
import math, sys
sys.path.insert(0, sys.argv[1])
from generate import volume
def blobs(x, y, z):
    a = math.exp(-14 * ((x - 0.3) ** 2 + (y - 0.35) ** 2 + (z - 0.35) ** 2))
    b = math.exp(-10 * ((x - 0.7) ** 2 + (y - 0.65) ** 2 + (z - 0.7) ** 2))
    return a + 0.8 * b
with open(sys.argv[2], "w", newline="") as f:
    f.write(volume(16, 16, 16, blobs))
PY
"$cli" convert --low-memory "$work/blobs.txt" "$work/blobs.p4d" >/dev/null

# NAME then KEY VALUE pairs: a property file with those chart properties.
props() {
    name=$1
    shift
    : >"$work/$name.cpr"
    while [ $# -ge 2 ]; do
        printf '[%s]\r\n%s\r\n' "$1" "$2" >>"$work/$name.cpr"
        shift 2
    done
}
props 4d-default
props 4d-direction-z Dim4Direction 2
props 4d-direction-xyz Dim4Direction 6
props 4d-nth-layers Dim4Direction 2 Dim4FirstLayer 2 Dim4NthLayer 4
props 4d-height Dim4Direction 2 Dim4FirstLayer 2 Dim4NthLayer 4 Dim4Height 0.3
props 4d-cut Dim4Direction 6 Dim4CrossSection 1 Dim4CrossSectionOffset 0
props 4d-cut-offset Dim4Direction 6 Dim4CrossSection 0 Dim4CrossSectionOffset -0.5
props 4d-transparency Dim4Direction 2 Transparency 4
for cpr in "$work"/4d-*.cpr; do
    name=$(basename "$cpr" .cpr)
    "$cli" render --size 480x360 --properties "$cpr" -o "$out/$name.png" "$work/blobs.p4d"
    echo "$name.png"
done

QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$shots" "$out" "$root/examples"
