#!/usr/bin/env bash
# Installs what is missing, builds the programs (no tests) and starts the viewer on a sample.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh viewer
cmake --preset viewer >/dev/null
cmake --build --preset viewer -j "$(nproc)"
sample=${1:-examples/large/surface-200.p3d}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/viewer/app/plotyra "$sample"
fi
# No display: say how to start the window anyway, and draw the chart off-screen instead.
picture=build/viewer/run-sample.png
echo "No display: to start the viewer on a virtual one, run"
echo "  xvfb-run -a -s '-screen 0 1280x1024x24' build/viewer/app/plotyra $sample"
build/viewer/app/plotyra-cli render "$sample" -o "$picture"
echo "The chart of $sample, drawn off-screen: $picture"
