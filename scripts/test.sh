#!/usr/bin/env bash
# Builds and runs every test suite: Linux natively; the Linux suite again under the address,
# leak and undefined-behaviour sanitizers; a short run of each libFuzzer target; then the
# Windows DLL and its tests cross-built with mingw-w64 and run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows

cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/linux
# The C# host test runs here, never skipped.
QUILLPEN_CSHARP_REQUIRED=1 ctest --test-dir build/linux --output-on-failure

# Sanitizers: every report is fatal, leaks included.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize"
cmake --build build/asan
# Left out: the tests that load the library into a host built without the sanitizers
# (Python, Mono, the installed-package consumers), where the sanitizer runtime cannot come
# first.
ctest --test-dir build/asan --output-on-failure \
    -E '^package_(python_host|csharp_host|consumer)$'
unset ASAN_OPTIONS UBSAN_OPTIONS

# libFuzzer targets (clang): 15 seconds each from the seed corpora; any finding fails.
bash tests/fuzz/build.sh build/fuzz
bash tests/fuzz/run.sh build/fuzz 15 2 build/fuzz/runs

# Wine: a prefix of our own, made before the first test program runs, so that a slow or
# stuck first start is seen here (and retried on a new prefix) rather than inside a test.
# Mono and Gecko are not needed by any test and are left out of the prefix.
bash scripts/wine-prefix.sh "$PWD/build/wine"
export WINEPREFIX="$PWD/build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/windows
# A test program that hangs under Wine fails after ten minutes, with its output so far.
ctest --test-dir build/windows --output-on-failure --timeout 600
