#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in BUILD_DIR, installing clang and its fuzzer runtime
# first when they are missing (as root). Usage: tests/fuzz/build.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
runtime=/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a
if ! command -v clang++ >/dev/null || ! compgen -G "$runtime" >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang \
        libclang-rt-dev
fi
cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DQUILLPEN_BUILD_TESTS=OFF -DQUILLPEN_BUILD_EXAMPLES=OFF \
    -DQUILLPEN_BUILD_FUZZERS=ON
cmake --build "$1" --target quillpen_fuzzers
