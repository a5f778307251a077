#include "core/utf.h"

#include <cstring>

#include "core/hot.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace quillpen {
namespace {
#if defined(__SSE2__) || defined(_M_X64)
// A block of eight units takes at most 24 bytes and is written with whole four-byte
// stores, the last reaching one byte past them: into the NUL's byte at worst.
constexpr int kBlockRoom = 24;

// Converts from src[i] eight units at a time while eight are left, none of them a
// surrogate, and the room holds a block; returns where it stopped. A block of ASCII is
// narrowed at once, any other block unit by unit. Past the bytes kept, the stores leave up
// to three zero bytes, within the room.
int convertBlocks(const WCHAR* src, int i, int units, unsigned char* out, int& len, int room) {
    const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= units && room - len >= kBlockRoom; i += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(eight, notAscii), zero)) == 0xFFFF) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + len), _mm_packus_epi16(eight, eight));
            len += 8;
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(eight, surrogateBits), surrogate)))
            break;
        for (int k = 0; k < 8; ++k) {
            int n;
            const uint32_t word = utf8Word(static_cast<uint16_t>(src[i + k]), n);
            std::memcpy(out + len, &word, 4);
            len += n;
        }
    }
    return i;
}
#endif

// Copies the run of ASCII units at src[i..end) as bytes; returns where it stopped.
int copyAscii(const WCHAR* src, int i, int end, unsigned char* out, int& len) {
    for (; i < end && static_cast<uint16_t>(src[i]) < 0x80; ++i)
        out[len++] = static_cast<unsigned char>(src[i]);
    return i;
}

// The code point at src[i] (consuming a surrogate pair whole), or -1 for a lone surrogate,
// which is dropped. Advances i past what it consumed.
int32_t nextCodePoint(const WCHAR* src, int& i, int units) {
    const uint32_t c = static_cast<uint16_t>(src[i++]);
    if (c < 0xD800 || c > 0xDFFF) return static_cast<int32_t>(c);
    const uint32_t next = i < units ? static_cast<uint16_t>(src[i]) : 0;
    if (c > 0xDBFF || next < 0xDC00 || next > 0xDFFF) return -1;
    ++i;
    return static_cast<int32_t>((c - 0xD800) * 0x400 + (next - 0xDC00) + 0x10000);
}

// utf32ToUtf8, inline in the conversion loop.
inline int encode(uint32_t c, unsigned char* out) {
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
}  // namespace

#if defined(__SSE2__) || defined(_M_X64)
// Eight units a step with aligned sixteen-byte loads. Such a load never crosses a page, so
// the units it reads past the terminator are harmless to read; AddressSanitizer would
// still count them as a fault.
#if defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
QP_HOT int
wideLength(const WCHAR* text) {
    if (!text) return 0;
    const auto address = reinterpret_cast<uintptr_t>(text);
    if (address % sizeof(WCHAR) != 0) {  // a host's odd pointer: unit by unit
        int n = 0;
        while (text[n]) ++n;
        return n;
    }
    const auto* block = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
    const auto skipped = static_cast<unsigned>(address & 15);
    const __m128i zero = _mm_setzero_si128();
    // Two mask bits a unit; the bits of the bytes before the text are shifted out.
    unsigned zeros =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero))) >>
        skipped;
    while (zeros == 0) {
        ++block;
        zeros =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero)));
        if (zeros != 0) {
            const auto at = reinterpret_cast<uintptr_t>(block) + __builtin_ctz(zeros);
            return static_cast<int>((at - address) / sizeof(WCHAR));
        }
    }
    return static_cast<int>(__builtin_ctz(zeros) / sizeof(WCHAR));
}
#else
QP_HOT int wideLength(const WCHAR* text) {
    if (!text) return 0;
    int n = 0;
    while (text[n]) ++n;
    return n;
}
#endif

int utf32ToUtf8(uint32_t c, char* dst) { return encode(c, reinterpret_cast<unsigned char*>(dst)); }

QP_HOT int utf16ToUtf8N(const WCHAR* src, int units, char* dst, int dstSize) {
    if (dstSize < 1) return -1;
    auto* out = reinterpret_cast<unsigned char*>(dst);
    const int room = dstSize - 1;  // keep one byte for the NUL
    int len = 0;
    for (int i = 0; i < units;) {
#if defined(__SSE2__) || defined(_M_X64)
        i = convertBlocks(src, i, units, out, len, room);
        if (i == units) break;
#endif
        // An ASCII unit takes one byte: the run is bounded by the room left.
        const int runEnd = units - i < room - len ? units : i + (room - len);
        i = copyAscii(src, i, runEnd, out, len);
        if (i == units) break;
        if (static_cast<uint16_t>(src[i]) < 0x80) {  // the room ran out before this unit
            dst[len] = '\0';
            return -1;
        }
        const int32_t c = nextCodePoint(src, i, units);
        if (c < 0) continue;
        if (room - len >= 4) {
            len += encode(static_cast<uint32_t>(c), out + len);
            continue;
        }
        unsigned char bytes[4];
        const int n = encode(static_cast<uint32_t>(c), bytes);
        if (n > room - len) {  // a character goes in whole or not at all
            dst[len] = '\0';
            return -1;
        }
        for (int k = 0; k < n; ++k) out[len + k] = bytes[k];
        len += n;
    }
    dst[len] = '\0';
    return len;
}

int utf16ToUtf8(const WCHAR* src, char* dst, int dstSize) {
    return utf16ToUtf8N(src, wideLength(src), dst, dstSize);
}

}  // namespace quillpen
