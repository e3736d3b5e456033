#!/usr/bin/env bash
# Long fuzzing run, not part of test.sh: builds the libFuzzer targets (clang, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each from its seed corpus for RUNS executions
# (default 1,000,000; a second argument names one target), the targets side by side, then
# prints the executions, the corpus reached and the findings per target. Logs and findings (crash, leak, timeout inputs) stay in a fresh
# folder named at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}
only=${2:-}
# Any sanitizer report is a finding: stop at the first one.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzz_all | tail -n 1
out=$(mktemp -d -t plotyra-fuzz-XXXXXX)

run() {
    local target=$1 name
    name=$(basename "$target")
    mkdir -p "$out/$name-corpus" "$out/$name-findings"
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name"/. "$out/$name-corpus"/
    local start=$SECONDS rc=0
    "$target" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$out/$name-findings/" "$out/$name-corpus" >"$out/$name.log" 2>&1 || rc=$?
    echo "$rc $((SECONDS - start))" >"$out/$name.result"
}

targets=(build/fuzz/fuzz/*_fuzz)
[ -n "$only" ] && targets=("build/fuzz/fuzz/$only")
for target in "${targets[@]}"; do
    run "$target" &
done
wait

status=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    read -r rc seconds <"$out/$name.result"
    execs=$(grep -a -m1 '^stat::number_of_executed_units' "$out/$name.log" | awk '{print $2}')
    corpus=$(find "$out/$name-corpus" -type f | wc -l)
    findings=$(find "$out/$name-findings" -type f | wc -l)
    printf '%-18s exit %d, %s executions in %d s, corpus %d, findings %d\n' \
        "$name" "$rc" "${execs:-?}" "$seconds" "$corpus" "$findings"
    if [ "$rc" -ne 0 ] || [ "$findings" -ne 0 ]; then
        status=1
        tail -n 30 "$out/$name.log"
    fi
done
echo "logs and findings: $out"
exit $status
