#!/usr/bin/env bash
# Builds and runs the benchmarks (Linux; not part of scripts/test.sh). Each family runs
# beside its baseline in one process, repetitions interleaved at random; the table of
# ratios (medians) follows the runs, then callgrind's user-space instructions per call.
#
#   bash scripts/bench.sh            # 5 repetitions of every benchmark, a few minutes
#   bash scripts/bench.sh --quick    # 3 short repetitions, for a look
#   bash scripts/bench.sh --benchmark_filter=line   # other flags go to Google Benchmark
#
# Results: build/bench/results.json (every run), build/bench/ratios.md (the table) and
# build/bench/instructions.md.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --bench

repetitions=5
min_time=0.5
args=()
for arg in "$@"; do
    if [ "$arg" = "--quick" ]; then
        repetitions=3
        min_time=0.1
    else
        args+=("$arg")
    fi
done

out=build/bench
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPEN_BUILD_TESTS=OFF \
    -DQUILLPEN_BUILD_EXAMPLES=OFF -DQUILLPEN_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$out" --target quillpen_bench quillpen_lines

"$out/bench/quillpen_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_min_time="$min_time" --benchmark_enable_random_interleaving=true \
    --benchmark_display_aggregates_only=true --benchmark_out="$out/results.json" \
    --benchmark_out_format=json --ratios_out="$out/ratios.md" ${args[@]+"${args[@]}"}

if ! command -v valgrind >/dev/null; then
    echo "valgrind is not installed: no instruction counts" >&2
    exit 0
fi
# Instructions of one call in the steady state: two runs of N calls under callgrind, the
# difference divided by the difference of N, so start-up and shut-down drop out.
instructions() {  # MODE N DIR
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$out/bench/quillpen_lines" \
        "$@" 2>&1 | awk '/Collected :/ { print $4 }'
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
{
    echo "| calls (callgrind, steady state) | user-space instructions per call |"
    echo "|---|---:|"
    for mode in quillpen filtered sleeping floor snprintf spdlog handwritten; do
        few=$(instructions "$mode" 2000 "$scratch/logs")
        rm -rf "$scratch/logs"
        many=$(instructions "$mode" 12000 "$scratch/logs")
        rm -rf "$scratch/logs"
        echo "| $mode | $(( (many - few) / 10000 )) |"
    done
} | tee "$out/instructions.md"

# The first decode table of a process against the next, five fresh processes.
{
    echo
    echo "| µs: first decode table of 4 KB | next | first write() of its bytes | next |" \
        "first fill of its block in fresh pages | next |"
    echo "|---:|---:|---:|---:|---:|---:|"
    for run in 1 2 3 4 5; do
        echo "| $("$out/bench/quillpen_lines" first-table 0 "$scratch/first" | sed 's/ / | /g') |"
        rm -rf "$scratch/first"
    done
} | tee -a "$out/instructions.md"
