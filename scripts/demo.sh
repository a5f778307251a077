#!/usr/bin/env bash
# Builds the library and the demo host, runs it, and shows the log file it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPEN_BUILD_TESTS=OFF >/dev/null
cmake --build build/demo --target quillpen_demo >/dev/null
rm -rf build/demo/logs  # show this run alone
build/demo/examples/quillpen_demo build/demo/logs
