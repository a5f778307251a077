#include "text/utf_chars.h"

namespace quillpen {

int decodeUtf8(const unsigned char* s, int avail, uint16_t* units, int& unitCount) {
    const unsigned lead = s[0];
    unitCount = 1;
    units[0] = static_cast<uint16_t>(lead);
    int need = 0;
    uint32_t c = 0;
    unsigned lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;  // overlong
        if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        c = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;  // overlong
        if (lead == 0xF4) hi = 0x8F;  // above U+10FFFF
    }
    for (int k = 1; k < need; ++k) {
        if (k >= avail) return 0;
        if (s[k] < lo || s[k] > hi) return 1;  // the terminator fails here too
        c = (c << 6) | (s[k] & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    if (need == 0) return 1;
    if (c < 0x10000) {
        units[0] = static_cast<uint16_t>(c);
    } else {
        units[0] = static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<uint16_t>(0xDC00 + (c & 0x3FF));
        unitCount = 2;
    }
    return need;
}

}  // namespace quillpen
