#!/bin/sh
# The window's frame rate while turning big charts: `plotyra --measure-frames` under Xvfb, the
# chart at 800 x 600. A number N stands for a surface of N x N points, generated into a temporary
# folder; any other argument names a chart file to measure as it is (the 4D examples:
# examples/large/*.p4d). Settings go to a temporary folder, so every run starts from the defaults.
# Usage: bench/window_frames.sh BUILD_DIR [FRAMES] [N|FILE...]   (defaults: 30 frames, 1000 2000)
set -eu
build=${1:?usage: window_frames.sh BUILD_DIR [FRAMES] [N|FILE...]}
frames=${2:-30}
[ $# -ge 2 ] && shift 2 || shift $#
[ $# -gt 0 ] || set -- 1000 2000
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

measure() {
    rm -rf "$work/config" "$work/data"
    XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1600x1200x24" "$viewer" --measure-frames "$frames" "$1"
}

for arg in "$@"; do
    case $arg in
    *[!0-9]* | '')
        printf '%s: ' "$(basename "$arg")"
        measure "$arg"
        ;;
    *)
        file=$work/surface-$arg.p3d
        surface "$arg" "$file"
        printf '%s x %s: ' "$arg" "$arg"
        measure "$file"
        ;;
    esac
done
