#!/usr/bin/env bash
# Runs each fuzz target for SECONDS, JOBS at once, from a copy of its seed corpus (the committed
# one never grows); fails on a crash, leak, timeout or failed check, whose input is kept as
# OUT_DIR/<target>/crash-* (or leak-*, timeout-*) beside the target's log.
# Usage: tests/fuzz/run.sh BUILD_DIR SECONDS JOBS OUT_DIR
set -euo pipefail
export build=$1 seconds=$2 out=$4 corpora="$(cd "$(dirname "$0")" && pwd)/corpus"
run() {
    local dir="$out/$1"
    rm -rf "$dir" && mkdir -p "$dir/corpus" && cp "$corpora/$1/"* "$dir/corpus/"
    "$build/tests/fuzz/$1" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" >"$dir/log.txt" 2>&1 &&
        echo "$1: ok, $(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt") runs" &&
        return
    echo "$1: FAILED" && grep -E -A12 'check failed|ERROR: |runtime error' "$dir/log.txt" | head -40
    return 1
}
export -f run
printf '%s\n' format_fuzz calls_fuzz | xargs -P "$3" -I{} bash -c 'run {}'
