#include "core/utf.h"

#include <atomic>
#include <cstring>

#include "core/cpu.h"
#include "core/hot.h"
#include "core/utf_blocks.h"

#if defined(__SSE2__) || defined(_M_X64)
#define QP_UTF_SSE2 1
#include <emmintrin.h>
#endif

namespace quillpen {
namespace {

int noBlocks(const WCHAR*, int i, int, unsigned char*, int&, int) { return i; }

// The least any block converter takes: eight units, with room for 24 bytes (three a unit).
constexpr int kBlockUnits = 8;
constexpr int kBlockRoom = 24;

#if QP_UTF_SSE2
// Eight units a block while none is a surrogate. A block of ASCII is narrowed at once, any
// other block unit by unit with whole four-byte stores, the last reaching one byte past
// the block's 24 at most: into the NUL's byte at worst.
int blocksSse2(const WCHAR* src, int i, int units, unsigned char* out, int& len, int room) {
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
QP_ALWAYS_INLINE int copyAscii(const WCHAR* src, int i, int end, unsigned char* out, int& len) {
    for (; i < end && static_cast<uint16_t>(src[i]) < 0x80; ++i)
        out[len++] = static_cast<unsigned char>(src[i]);
    return i;
}

// The code point at src[i] (consuming a surrogate pair whole), or -1 for a lone surrogate,
// which is dropped. Advances i past what it consumed.
QP_ALWAYS_INLINE int32_t nextCodePoint(const WCHAR* src, int& i, int units) {
    const uint32_t c = static_cast<uint16_t>(src[i++]);
    if (c < 0xD800 || c > 0xDFFF) return static_cast<int32_t>(c);
    const uint32_t next = i < units ? static_cast<uint16_t>(src[i]) : 0;
    if (c > 0xDBFF || next < 0xDC00 || next > 0xDFFF) return -1;
    ++i;
    return static_cast<int32_t>((c - 0xD800) * 0x400 + (next - 0xDC00) + 0x10000);
}

// utf32ToUtf8, inline in the conversion loop.
QP_ALWAYS_INLINE int encode(uint32_t c, unsigned char* out) {
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

// The conversion around a block converter: blocks while they fit, one character at a time
// in between and after them.
template <Blocks blocks>
QP_ALWAYS_INLINE int convertWith(const WCHAR* src, int units, char* dst, int dstSize) {
    if (dstSize < 1) return -1;
    auto* out = reinterpret_cast<unsigned char*>(dst);
    const int room = dstSize - 1;  // keep one byte for the NUL
    int len = 0;
    for (int i = 0; i < units;) {
        if (units - i >= kBlockUnits && room - len >= kBlockRoom) {
            i = blocks(src, i, units, out, len, room);
            if (i == units) break;
        }
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

using Convert = int (*)(const WCHAR* src, int units, char* dst, int dstSize);

QP_HOT int convertScalar(const WCHAR* src, int units, char* dst, int dstSize) {
    return convertWith<noBlocks>(src, units, dst, dstSize);
}
#if QP_UTF_SSE2
QP_HOT int convertSse2(const WCHAR* src, int units, char* dst, int dstSize) {
    return convertWith<blocksSse2>(src, units, dst, dstSize);
}
#endif
#if QP_HAS_RUNTIME_SIMD
QP_HOT QP_TARGET_AVX2 int convertAvx2(const WCHAR* src, int units, char* dst, int dstSize) {
    return convertWith<blocksAvx2>(src, units, dst, dstSize);
}
#endif

using Length = int (*)(const WCHAR* text);
using ConvertTerminated = int (*)(const WCHAR* src, char* dst, int dstSize);

template <Convert convert, Length length>
int convertTerminated(const WCHAR* src, char* dst, int dstSize) {
    return convert(src, length(src), dst, dstSize);
}

// A path's converter, the wideLength it goes with, and the two for a terminated text.
struct Path {
    Convert convert;
    Length length;
    ConvertTerminated terminated;
};

template <Convert convert, Length length>
constexpr Path makePath() {
    return {convert, length, convertTerminated<convert, length>};
}

Path pathOf(UtfPath which) {
    switch (which) {
#if QP_HAS_RUNTIME_SIMD
        case UtfPath::kAvx2:
            return makePath<convertAvx2, wideLengthAvx2>();
#endif
#if QP_UTF_SSE2
        case UtfPath::kSse2:
            return makePath<convertSse2, wideLength>();
#endif
        default:
            return makePath<convertScalar, wideLength>();
    }
}

// The first conversion picks the path and keeps it for every later one.
int resolveAndConvert(const WCHAR* src, int units, char* dst, int dstSize);
int resolveAndConvertTerminated(const WCHAR* src, char* dst, int dstSize);
std::atomic<Convert> gConvert{resolveAndConvert};
std::atomic<ConvertTerminated> gConvertTerminated{resolveAndConvertTerminated};

void resolve() {
    const Path best = pathOf(bestUtfPath());
    gConvert.store(best.convert, std::memory_order_relaxed);
    gConvertTerminated.store(best.terminated, std::memory_order_relaxed);
}

int resolveAndConvert(const WCHAR* src, int units, char* dst, int dstSize) {
    resolve();
    return gConvert.load(std::memory_order_relaxed)(src, units, dst, dstSize);
}

int resolveAndConvertTerminated(const WCHAR* src, char* dst, int dstSize) {
    resolve();
    return gConvertTerminated.load(std::memory_order_relaxed)(src, dst, dstSize);
}
}  // namespace

UtfPath bestUtfPath() {
#if QP_HAS_RUNTIME_SIMD
    if (cpuHasAvx2()) return UtfPath::kAvx2;
    return UtfPath::kSse2;
#elif QP_UTF_SSE2
    return UtfPath::kSse2;
#else
    return UtfPath::kScalar;
#endif
}

int utf16ToUtf8NOn(UtfPath path, const WCHAR* src, int units, char* dst, int dstSize) {
    return pathOf(path).convert(src, units, dst, dstSize);
}

int wideLengthOn(UtfPath path, const WCHAR* text) { return pathOf(path).length(text); }

#if QP_UTF_SSE2
// Aligned sixteen-byte loads. Neither a load nor a step crosses a page, so the units read
// past the terminator are harmless to read; AddressSanitizer would still count them as a
// fault.
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
    const auto unitsTo = [address](const __m128i* at, unsigned zeroBits) {
        const auto end = reinterpret_cast<uintptr_t>(at) + __builtin_ctz(zeroBits);
        return static_cast<int>((end - address) / sizeof(WCHAR));
    };
    const __m128i zero = _mm_setzero_si128();
    const auto* block = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
    // Two mask bits a unit; the bits of the bytes before the text are shifted out.
    unsigned zeros =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero))) >>
        (address & 15);
    if (zeros != 0) return static_cast<int>(__builtin_ctz(zeros) / sizeof(WCHAR));
    // Most texts (formats, labels) end within a few blocks: one block a step for three, then
    // on to a 64-byte boundary; a longer text takes four blocks a step from there.
    for (int step = 0; step < 3; ++step) {
        ++block;
        zeros =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero)));
        if (zeros != 0) return unitsTo(block, zeros);
    }
    while (reinterpret_cast<uintptr_t>(++block) % 64 != 0) {
        zeros =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero)));
        if (zeros != 0) return unitsTo(block, zeros);
    }
    for (;; block += 4) {
        const __m128i a = _mm_cmpeq_epi16(_mm_load_si128(block), zero);
        const __m128i b = _mm_cmpeq_epi16(_mm_load_si128(block + 1), zero);
        const __m128i c = _mm_cmpeq_epi16(_mm_load_si128(block + 2), zero);
        const __m128i d = _mm_cmpeq_epi16(_mm_load_si128(block + 3), zero);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0) continue;
        // One mask bit a unit for the step's 32 units.
        const auto ab = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(a, b)));
        const auto cd = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(c, d)));
        return static_cast<int>((reinterpret_cast<uintptr_t>(block) - address) / sizeof(WCHAR)) +
               __builtin_ctz(ab | cd << 16);
    }
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
    return gConvert.load(std::memory_order_relaxed)(src, units, dst, dstSize);
}

int utf16ToUtf8(const WCHAR* src, char* dst, int dstSize) {
    return gConvertTerminated.load(std::memory_order_relaxed)(src, dst, dstSize);
}

}  // namespace quillpen
