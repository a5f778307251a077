#include "core/utf.h"

namespace quillpen {

int wideLength(const WCHAR* text) {
    if (!text) return 0;
    int n = 0;
    while (text[n]) ++n;
    return n;
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

int utf16ToUtf8N(const WCHAR* src, int units, char* dst, int dstSize) {
    if (dstSize < 1) return -1;
    int len = 0;
    const int room = dstSize - 1;  // keep one byte for the NUL
    for (int i = 0; i < units; ++i) {
        uint32_t c = static_cast<uint16_t>(src[i]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            uint32_t next = i + 1 < units ? static_cast<uint16_t>(src[i + 1]) : 0;
            if (c > 0xDBFF || next < 0xDC00 || next > 0xDFFF) continue;  // lone surrogate
            c = (c - 0xD800) * 0x400 + (next - 0xDC00) + 0x10000;
            ++i;
        }
        char bytes[4];
        int n = utf32ToUtf8(c, bytes);
        if (len + n > room) {
            dst[len] = '\0';
            return -1;
        }
        for (int k = 0; k < n; ++k) dst[len + k] = bytes[k];
        len += n;
    }
    dst[len] = '\0';
    return len;
}

int utf16ToUtf8(const WCHAR* src, char* dst, int dstSize) {
    return utf16ToUtf8N(src, wideLength(src), dst, dstSize);
}

}  // namespace quillpen
