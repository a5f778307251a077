#include "text/utf.h"

#include <algorithm>
#include <cstring>

namespace quillpen {
namespace {
static_assert(sizeof(qp_wchar) == 2, "a UTF-16 unit is two bytes");

// The code point at src[i], a surrogate pair taken whole, with i moved past it; -1 for a
// lone surrogate, which is dropped.
int32_t nextCodePoint(const qp_wchar* src, int& i, int units) {
    const uint32_t c = static_cast<uint16_t>(src[i++]);
    if (c < 0xD800 || c > 0xDFFF) return static_cast<int32_t>(c);
    const uint32_t low = i < units ? static_cast<uint16_t>(src[i]) : 0;
    if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF) return -1;
    ++i;
    return static_cast<int32_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
}

int utf8Bytes(uint32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Whether the four units at `src` are all ASCII, tested as one eight-byte word.
bool fourAscii(const qp_wchar* src) {
    uint64_t four;
    std::memcpy(&four, src, sizeof four);
    return (four & 0xFF80FF80FF80FF80u) == 0;
}
}  // namespace

int wideLength(const qp_wchar* text) {
    if (!text) return 0;
    // Four tests a step, each unit read only once the one before it is known not to end
    // the text: a loop of fewer jumps than one a unit.
    for (int n = 0;; n += 4) {
        if (!text[n]) return n;
        if (!text[n + 1]) return n + 1;
        if (!text[n + 2]) return n + 2;
        if (!text[n + 3]) return n + 3;
    }
}

int utf32ToUtf8(uint32_t c, char* dst) {
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

int utf16ToUtf8N(const qp_wchar* src, int units, char* dst, int dstSize) {
    if (dstSize < 1) return -1;
    const int room = dstSize - 1;  // the NUL's byte is kept
    int len = 0;
    for (int i = 0; i < units;) {
        // Log text is mostly ASCII: a run of it, as far as the room goes, is found four
        // units a step and then narrowed in one loop.
        const int runEnd = i + std::min(units - i, room - len);
        int run = i;
        while (runEnd - run >= 4 && fourAscii(src + run)) run += 4;
        while (run < runEnd && static_cast<uint16_t>(src[run]) < 0x80) ++run;
        for (; i < run; ++i) dst[len++] = static_cast<char>(src[i]);
        if (i == units) break;
        const int32_t c = nextCodePoint(src, i, units);
        if (c < 0) continue;
        if (utf8Bytes(static_cast<uint32_t>(c)) > room - len) {  // whole characters only
            dst[len] = '\0';
            return -1;
        }
        len += utf32ToUtf8(static_cast<uint32_t>(c), dst + len);
    }
    dst[len] = '\0';
    return len;
}

int utf16ToUtf8(const qp_wchar* src, char* dst, int dstSize) {
    return utf16ToUtf8N(src, wideLength(src), dst, dstSize);
}

int32_t utf8LengthOf(const qp_wchar* text) {
    const int units = wideLength(text);
    int64_t bytes = 0;
    for (int i = 0; i < units;) {
        const int32_t c = nextCodePoint(text, i, units);
        if (c >= 0) bytes += utf8Bytes(static_cast<uint32_t>(c));
    }
    return static_cast<int32_t>(std::min<int64_t>(bytes, INT32_MAX));
}

}  // namespace quillpen
