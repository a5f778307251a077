// Walking a text one character at a time in the other encoding, for the printf engine's
// strings of the other width: UTF-16 as UTF-8 characters, UTF-8 as UTF-16 characters.
#pragma once

#include <cstdint>

#include "text/utf.h"

namespace quillpen {

// Calls emit(bytes, n) for each character of `text` as UTF-8, stopping at the terminator,
// before a character that would take the total past maxBytes, or when emit returns false.
// Lone surrogates are dropped, as utf16ToUtf8 does. Returns the bytes emitted.
template <typename Emit>
int eachUtf8Char(const qp_wchar* text, int maxBytes, Emit emit) {
    int total = 0;
    for (int i = 0; text[i];) {
        uint32_t c = static_cast<uint16_t>(text[i++]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t low = static_cast<uint16_t>(text[i]);  // the terminator at worst
            if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF) continue;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        char bytes[4];
        const int n = utf32ToUtf8(c, bytes);
        if (n > maxBytes - total || !emit(bytes, n)) break;
        total += n;
    }
    return total;
}

// Decodes the UTF-8 character at `s` into 1 or 2 UTF-16 units and returns the bytes used.
// A byte that starts no valid character becomes the unit of its value; a valid character
// longer than `avail` bytes returns 0 (precision never splits a character).
int decodeUtf8(const unsigned char* s, int avail, uint16_t* units, int& unitCount);

// Calls emit(units, n) for each character of the UTF-8 `text`, taking at most maxBytes
// bytes, until the terminator or emit returns false. Returns the units emitted.
template <typename Emit>
int eachUtf16Char(const char* text, int maxBytes, Emit emit) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    int total = 0;
    for (int i = 0; i < maxBytes && s[i];) {
        uint16_t units[2] = {};
        int n = 1;
        const int used = decodeUtf8(s + i, maxBytes - i, units, n);
        if (used == 0 || !emit(units, n)) break;
        i += used;
        total += n;
    }
    return total;
}

}  // namespace quillpen
