#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when run as root and missing;
# --windows adds the cross compiler and Wine, --bench the benchmark libraries.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v python3 >/dev/null || need+=(python3)
command -v pkg-config >/dev/null || need+=(pkg-config)
command -v mcs >/dev/null || need+=(mono-mcs)  # the C# host test
command -v mono >/dev/null || need+=(mono-runtime)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
for extra in "$@"; do
    case "$extra" in
        --windows)
            command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(mingw-w64)
            [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
            ;;
        --bench)
            [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
            [ -f /usr/include/spdlog/spdlog.h ] || need+=(libspdlog-dev)
            ;;
    esac
done
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${need[*]} (run as root to install them)" >&2
    exit 1
fi
echo "installing: ${need[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
