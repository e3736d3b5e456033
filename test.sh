#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer configuration and runs every test.
# The sanitizer options and leak suppressions come from the asan preset's environment.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh test

# Formatting first: it takes a second and names every file that strays from .clang-format.
echo "== format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

# A test that hangs leaves its stack in its build's hang folder; ctest's timeout ends it and runs
# it once more. The stacks are printed last, where the tail of a log shows them.
show_hangs() {
    for report in build/*/hangs/*.txt; do
        [ -f "$report" ] && echo "== hung test" && cat "$report"
    done
    return 0
}
trap show_hangs EXIT
rm -rf build/*/hangs

jobs=$(nproc)
for preset in default asan; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "== $preset tests"
    ctest --preset "$preset" -j "$jobs"
done

# The fuzz targets need clang's libFuzzer; a short bounded run catches crashes in the readers.
# Crash files go to the build folder, never into the checkout.
if command -v clang++ >/dev/null && ls fuzz/*_fuzz.cpp >/dev/null 2>&1; then
    echo "== fuzz targets"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$jobs" --target fuzz_all
    artifacts="$PWD/build/fuzz/artifacts"
    mkdir -p "$artifacts"
    for target in build/fuzz/fuzz/*_fuzz; do
        corpus="fuzz/corpus/$(basename "$target")"
        work=$(mktemp -d)
        [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
        "$target" -runs=20000 -max_len=4096 -artifact_prefix="$artifacts/" "$work" 2>&1 | tail -n 2
        rm -rf "$work"
    done
fi
echo "All tests passed."
