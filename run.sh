#!/usr/bin/env bash
# Installs what is missing, builds and starts the viewer on a bundled sample.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ -x build/default/app/plotyra ]; then
    exec build/default/app/plotyra "${1:-examples/large/surface-200.p3d}"
fi
exec build/default/app/plotyra-cli about
