// UTF-8 text as the UTF-16 units the library takes, for the test and benchmark programs.
// Their texts are well-formed; a sequence cut by the end of the text keeps the bits it has.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "quillpen.h"

using WString = std::basic_string<qp_wchar>;

inline WString widen(std::string_view utf8) {
    WString out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        uint32_t c = extra ? b & (0x3F >> extra) : b;
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        if (c >= 0x10000) {
            out += static_cast<qp_wchar>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<qp_wchar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<qp_wchar>(c);
        }
    }
    return out;
}
