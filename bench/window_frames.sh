#!/bin/sh
# The window's frame rate while turning big surfaces: `plotyra --measure-frames` under Xvfb, the
# chart at 800 x 600. Surfaces of N x N points are generated into a temporary folder; settings
# go to a temporary folder too.
# Usage: bench/window_frames.sh BUILD_DIR [FRAMES] [N...]   (defaults: 30 frames, 1000 2000)
set -eu
build=${1:?usage: window_frames.sh BUILD_DIR [FRAMES] [N...]}
frames=${2:-30}
[ $# -ge 2 ] && shift 2 || shift $#
sizes=${*:-1000 2000}
viewer=$build/app/plotyra
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -m 700 "$work/run"

# A "<3D>" grid: the X values on one line, one Z value a line, then the rows of heights.
surface() {
    python3 - "$1" "$2" <<'PY'
import math, sys
n, path = int(sys.argv[1]), sys.argv[2]
coords = [-6 + 12 * i / (n - 1) for i in range(n)]
with open(path, "w", newline="") as f:
    f.write(f"<3D>\r\n{n}\t{n}\r\n")
    f.write("\t".join(f"{x:.6g}" for x in coords) + "\r\n")
    f.writelines(f"{z:.6g}\r\n" for z in coords)
    for z in coords:
        f.write("\t".join(f"{math.sin(math.hypot(x, z)) / (1 + 0.1 * math.hypot(x, z)):.6g}"
                          for x in coords) + "\r\n")
PY
}

for n in $sizes; do
    file=$work/surface-$n.p3d
    surface "$n" "$file"
    printf '%s x %s: ' "$n" "$n"
    XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1600x1200x24" "$viewer" --measure-frames "$frames" "$file"
done
