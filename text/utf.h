// UTF-16 to UTF-8, as every line and block reaches the file.
//
// Lone surrogates (a high one not followed by a low one, a low one on its own) are
// dropped; a surrogate pair becomes one four-byte character. Code point 0 has no special
// form. Example: u"\u00e9\u3042\U0001F600" => C3 A9  E3 81 82  F0 9F 98 80.
#pragma once

#include <cstdint>

#include "quillpen.h"

namespace quillpen {

// Units (of either width) before the terminator or `bound`, whichever comes first. Four
// tests a step, each unit read only once the one before it is known not to end the text.
template <typename Unit>
int boundedLength(const Unit* text, int bound) {
    int n = 0;
    for (; n + 4 <= bound; n += 4) {
        if (!text[n]) return n;
        if (!text[n + 1]) return n + 1;
        if (!text[n + 2]) return n + 2;
        if (!text[n + 3]) return n + 3;
    }
    while (n < bound && text[n]) ++n;
    return n;
}

// Units before the terminator; 0 for a null pointer.
int wideLength(const qp_wchar* text);

// Writes the UTF-8 form of one code point (1 to 4 bytes, no NUL) and returns its length;
// 0 for a value above 0x10FFFF, writing nothing.
inline int utf32ToUtf8(uint32_t c, char* dst) {
    auto* out = reinterpret_cast<unsigned char*>(dst);
    if (c <= 0x7F) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c <= 0x7FF) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c <= 0xFFFF) {
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 3;
    }
    if (c > 0x10FFFF) return 0;
    out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 4;
}

// Converts the first `units` units of `src`, which need no terminator, into `dst` and
// NUL-terminates it, writing nothing past the NUL and never more than `dstSize` bytes.
// Returns the byte length, or -1 when the text did not fit: `dst` then holds the whole
// characters that fit (or nothing when dstSize < 1).
int utf16ToUtf8N(const qp_wchar* src, int units, char* dst, int dstSize);

// The same for a terminated text (none for a null pointer).
int utf16ToUtf8(const qp_wchar* src, char* dst, int dstSize);

// The byte length utf16ToUtf8 gives `text`, counted without writing it; INT32_MAX for a
// text longer than that.
int32_t utf8LengthOf(const qp_wchar* text);

}  // namespace quillpen
