#include "support/ref_utf.h"

#include <algorithm>

namespace ref {

std::string encodeUtf8(uint32_t c) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    const int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : c < 0x110000 ? 4 : 0;
    std::string out(static_cast<size_t>(n), '\0');
    for (int k = n - 1; k > 0; --k, c >>= 6)
        out[static_cast<size_t>(k)] = static_cast<char>(0x80 | (c & 0x3F));
    // The lead byte: n one bits, a zero bit, then the code point's highest bits.
    if (n > 0) out[0] = static_cast<char>(((0xFF00 >> n) & 0xFF) | c);
    return out;
}

std::vector<std::string> utf8Pieces(const qp_wchar* units, size_t n) {
    std::vector<std::string> pieces;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t u = static_cast<uint16_t>(units[i]);
        const bool high = u >= 0xD800 && u < 0xDC00;
        const bool low = u >= 0xDC00 && u < 0xE000;
        if (low) continue;
        if (!high) {
            pieces.push_back(encodeUtf8(u));
            continue;
        }
        const uint32_t next = i + 1 < n ? static_cast<uint16_t>(units[i + 1]) : 0;
        if (next < 0xDC00 || next >= 0xE000) continue;
        pieces.push_back(encodeUtf8(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00)));
        ++i;
    }
    return pieces;
}

std::string joinPieces(const std::vector<std::string>& pieces) {
    std::string out;
    for (const std::string& piece : pieces) out += piece;
    return out;
}

namespace {
// Length of the sequence `lead` begins and the allowed range of its second byte; 0 for a
// byte that begins none.
int sequenceOf(unsigned lead, unsigned& lo, unsigned& hi) {
    lo = 0x80;
    hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}
}  // namespace

std::vector<WString> utf16Pieces(const std::string& bytes, size_t maxBytes) {
    std::vector<WString> pieces;
    const size_t end = std::min(std::min(bytes.find('\0'), bytes.size()), maxBytes);
    size_t i = 0;
    while (i < end) {
        const unsigned lead = static_cast<unsigned char>(bytes[i]);
        unsigned lo, hi;
        const int need = sequenceOf(lead, lo, hi);
        int used = need == 0 ? 1 : need;
        uint32_t c = lead;
        for (int k = 1; k < need; ++k) {
            if (i + k >= maxBytes) return pieces;  // never split by the limit
            // Past the text's end stands its terminator, which continues no sequence.
            const unsigned b = i + k < end ? static_cast<unsigned char>(bytes[i + k]) : 0;
            if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) {
                used = 1;
                c = lead;
                break;
            }
            if (k == 1) c = lead & (0xFF >> (need + 1));
            c = (c << 6) | (b & 0x3F);
        }
        if (c < 0x10000) {
            pieces.push_back(WString(1, static_cast<qp_wchar>(c)));
        } else {
            const qp_wchar pair[] = {static_cast<qp_wchar>(0xD800 + ((c - 0x10000) >> 10)),
                                     static_cast<qp_wchar>(0xDC00 + ((c - 0x10000) & 0x3FF))};
            pieces.push_back(WString(pair, 2));
        }
        i += static_cast<size_t>(used);
    }
    return pieces;
}

}  // namespace ref
