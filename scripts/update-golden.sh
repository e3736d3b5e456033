#!/bin/sh
# Regenerates the golden images under tests/data/golden after an intended change of the
# pictures: builds the graphics tests and runs the picture tests in update mode. Review the
# changed images (git diff --stat tests/data/golden) before committing them.
set -eu
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target graphics3d_tests
PLOTYRA_UPDATE_GOLDEN=1 QT_QPA_PLATFORM=offscreen \
    build/default/tests/graphics3d_tests --gtest_filter='ChartPicture*'
git status --short tests/data/golden
