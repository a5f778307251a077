#!/usr/bin/env bash
# Long fuzzing runs: builds the libFuzzer targets with clang and runs each for the given
# minutes (default 10), two at a time, from a copy of its seed corpus. The summary, the
# grown corpora and any failing input are kept in the output directory.
# Usage: scripts/fuzz-long.sh [MINUTES]
#   QUILLPEN_FUZZ_BUILD: build directory (build/fuzz); QUILLPEN_FUZZ_OUT: output (build/fuzz-long)
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
build=${QUILLPEN_FUZZ_BUILD:-build/fuzz}
out=${QUILLPEN_FUZZ_OUT:-build/fuzz-long}
bash tests/fuzz/build.sh "$build"
bash tests/fuzz/run.sh "$build" "$((minutes * 60))" 2 "$out"
