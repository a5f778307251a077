#!/usr/bin/env bash
# Builds and runs every test suite: Linux natively, then the Windows DLL and its tests
# cross-built with mingw-w64 and run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows

cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/linux
ctest --test-dir build/linux --output-on-failure

export WINEDEBUG=-all
/usr/lib/wine/wineserver -p >/dev/null 2>&1 || true  # one server for every test program
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/windows
ctest --test-dir build/windows --output-on-failure
