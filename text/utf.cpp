#include "text/utf.h"

#include <algorithm>
#include <climits>

#include "text/utf8_sink.h"

namespace quillpen {
static_assert(sizeof(qp_wchar) == 2, "a UTF-16 unit is two bytes");

int wideLength(const qp_wchar* text) { return text ? boundedLength(text, INT_MAX) : 0; }

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
    Utf8Sink text(dst, dstSize - 1, units);  // the NUL's byte is kept
    text.copy(src, units);
    dst[text.stored()] = '\0';
    return text.bytes() == text.stored() ? text.stored() : -1;
}

int utf16ToUtf8(const qp_wchar* src, char* dst, int dstSize) {
    return utf16ToUtf8N(src, wideLength(src), dst, dstSize);
}

int32_t utf8LengthOf(const qp_wchar* text) {
    const int units = wideLength(text);
    Utf8Sink counted(nullptr, 0, units);  // no room: every byte is counted, none stored
    counted.copy(text, units);
    return static_cast<int32_t>(std::min<int64_t>(counted.bytes(), INT32_MAX));
}

}  // namespace quillpen
