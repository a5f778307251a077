#!/usr/bin/env bash
# Configures and builds the libFuzzer targets with clang in the given build directory,
# installing clang and its fuzzer runtime first when they are missing (as root).
# Usage: tests/fuzz/build.sh BUILD_DIR
set -euo pipefail
build=$1
cd "$(dirname "$0")/../.."
fuzzer_runtime=$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null || true)
if ! command -v clang++ >/dev/null || [ -z "$fuzzer_runtime" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing clang or its fuzzer runtime (run as root to install them)" >&2
        exit 1
    fi
    echo "installing: clang libclang-rt-dev"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        clang libclang-rt-dev
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLPEN_BUILD_TESTS=OFF -DQUILLPEN_BUILD_EXAMPLES=OFF -DQUILLPEN_BUILD_FUZZERS=ON
cmake --build "$build" --target quillpen_fuzzers
