#!/usr/bin/env bash
# Installs what is missing, builds the programs (no tests) and starts the viewer on a sample.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh viewer
cmake --preset viewer >/dev/null
cmake --build --preset viewer -j "$(nproc)"
if [ -x build/viewer/app/plotyra ]; then
    exec build/viewer/app/plotyra "${1:-examples/large/surface-200.p3d}"
fi
exec build/viewer/app/plotyra-cli about
