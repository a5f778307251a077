#!/usr/bin/env bash
# Runs every fuzz target of a build for a fixed time, from a copy of its seed corpus (the
# committed corpus is never grown), at most `jobs` at once. Prints one summary line per
# target and fails when any target found a crash, a leak, a timeout or a failed check;
# the input that did it is kept as <out>/<target>/crash-* (or leak-*, timeout-*).
# Usage: tests/fuzz/run.sh BUILD_DIR SECONDS JOBS OUT_DIR
set -euo pipefail
build=$1 seconds=$2 jobs=$3 out=$4
here="$(cd "$(dirname "$0")" && pwd)"
targets=(format_fuzz utf_fuzz dumps_fuzz calls_fuzz)

run_one() {
    local name=$1 dir="$out/$1"
    rm -rf "$dir"
    mkdir -p "$dir/corpus"
    cp "$here/corpus/$name/"* "$dir/corpus/"
    local start=$SECONDS rc=0
    "$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" >"$dir/log.txt" 2>&1 || rc=$?
    echo "$rc" >"$dir/rc"
    echo "$((SECONDS - start))" >"$dir/seconds"
}

summary() {
    local name=$1 dir="$out/$1" rc runs files
    rc=$(cat "$dir/rc")
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -1)
    files=$(find "$dir/corpus" -type f | wc -l)
    printf '%-12s %s  runs=%s corpus=%s files seconds=%s\n' "$name" \
        "$([ "$rc" = 0 ] && echo ok || echo "FAILED (exit $rc)")" "${runs:-?}" "$files" \
        "$(cat "$dir/seconds")"
    if [ "$rc" != 0 ]; then
        grep -E -A12 'fuzz check failed|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' \
            "$dir/log.txt" | head -40 >&2 || true
        ls "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* 2>/dev/null >&2 || true
    fi
    [ "$rc" = 0 ]
}

mkdir -p "$out"
running=0
for name in "${targets[@]}"; do
    run_one "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
failed=0
for name in "${targets[@]}"; do summary "$name" || failed=1; done
exit "$failed"
