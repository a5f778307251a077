// What the fuzz targets share. FUZZ_CHECK prints the failed check and aborts, so that libFuzzer
// keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "support/ref_utf.h"

#define FUZZ_CHECK(cond, detail)                                             \
    do {                                                                     \
        if (cond) break;                                                     \
        std::fprintf(stderr, "\n*** fuzz check failed: %s\n*** %s\n", #cond, \
                     std::string(detail).c_str());                           \
        std::abort();                                                        \
    } while (0)

// Pairs of bytes as units, the low byte first, up to the first 0 unit.
inline ref::WString unitsOf(const std::string& bytes) {
    ref::WString units(bytes.size() / 2, 0);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<qp_wchar>(static_cast<uint8_t>(bytes[2 * i]) |
                                         static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return units.substr(0, units.find(qp_wchar{0}));
}
