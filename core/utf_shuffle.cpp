// The shuffle path of the UTF-16 to UTF-8 conversion, compiled for AVX2 and chosen at run
// time (the DLL's baseline is SSE2).
#include <cstdint>
#include <cstring>

#include "core/hot.h"
#include "core/utf.h"
#include "core/utf_blocks.h"

#if QP_HAS_RUNTIME_SIMD
#include <immintrin.h>

namespace quillpen {
namespace {
// The shuffle paths. Every unit becomes a four-byte word
//   [low byte of the unit, 0x80 | low six bits, lead byte of three, second byte]
// where the second byte is the lead byte of two below 0x800, the middle byte of three
// above; the two halves of a surrogate pair put their two bytes each in the last two
// places. Two mask bits a unit (ASCII; below 0x800) pick the bytes of four words with
// one shuffle: 3 ASCII, 2 two bytes, 0 three, and 1, which no unit has by itself, a half
// of a pair. A shuffle's last byte, past the twelve bytes of four characters at most, both
// zeroes its output byte and holds 0x80 + their length, read with the same offset.
struct PackTable {
    alignas(16) uint8_t shuffle[256][16];
};

constexpr PackTable makePackTable() {
    PackTable table{};
    for (int index = 0; index < 256; ++index) {
        int n = 0;
        for (int unit = 0; unit < 4; ++unit) {
            const auto word = static_cast<uint8_t>(4 * unit);
            switch ((index >> (2 * unit)) & 3) {
                case 3:  // ASCII
                    table.shuffle[index][n++] = word;
                    break;
                case 2:  // two bytes
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 3);
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 1);
                    break;
                case 0:  // three bytes
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 2);
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 3);
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 1);
                    break;
                default:  // half of a surrogate pair
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 2);
                    table.shuffle[index][n++] = static_cast<uint8_t>(word + 3);
                    break;
            }
        }
        for (int k = n; k < 15; ++k) table.shuffle[index][k] = 0x80;  // a zero byte
        table.shuffle[index][15] = static_cast<uint8_t>(0x80 + n);
    }
    return table;
}

constexpr PackTable kPack = makePackTable();

// Sixteen lanes of sixteen bits.
struct alignas(32) Lanes {
    uint16_t lane[16];
};

constexpr Lanes splat(uint16_t value) {
    Lanes lanes{};
    for (auto& lane : lanes.lane) lane = value;
    return lanes;
}

// Lane `at` all ones, the others zero.
constexpr Lanes onlyLane(int at) {
    Lanes lanes{};
    lanes.lane[at] = 0xFFFF;
    return lanes;
}

// A shuffle that repeats each lane's low byte in its high byte.
constexpr Lanes lowBytesTwice() {
    Lanes lanes{};
    for (int k = 0; k < 16; ++k) lanes.lane[k] = static_cast<uint16_t>((k % 8) * 2 * 0x0101);
    return lanes;
}

struct Constants {
    Lanes notAscii = splat(0xFF80);
    Lanes top5 = splat(0xF800);
    Lanes top6 = splat(0xFC00);
    Lanes highSurrogate = splat(0xD800);
    Lanes lowSurrogate = splat(0xDC00);
    Lanes dupLow = lowBytesTwice();
    Lanes tailBits = splat(0x3FFF);
    Lanes tailMark = splat(0x8000);
    Lanes leadPlaces = splat(0x0140);  // multipliers: bits 6-11 up a byte, 12-15 in place
    Lanes leadMarks = splat(0x80E0);
    Lanes highBytes = splat(0xFF00);
    Lanes lowBytes = splat(0x00FF);
    Lanes planeOne = splat(0x0040);
    Lanes low3 = splat(0x0007);
    Lanes bits8to13 = splat(0x3F00);
    Lanes pairMarks = splat(0x80F0);
    Lanes bits4to5 = splat(0x0030);
    Lanes low4 = splat(0x000F);
    Lanes lowMark = splat(0x0080);
    Lanes last16 = onlyLane(15);
};

constexpr Constants kConstants{};

// GCC rebuilds each vector constant it can see from a general register, three
// instructions at every use inside a loop; behind a pointer it cannot follow, the
// constants stay in registers or memory operands.
inline const Constants& constants() {
    const Constants* k = &kConstants;
    __asm__("" : "+r"(k));
    return *k;
}

QP_TARGET_AVX2 QP_ALWAYS_INLINE __m256i v256(const Lanes& lanes) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes.lane));
}
// A group's shuffle and length; `at`, its eight mask bits times 16, is its row's offset.
QP_TARGET_AVX2 QP_ALWAYS_INLINE __m128i packRow(size_t at) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(&kPack.shuffle[0][0] + at));
}
inline ptrdiff_t packLength(size_t at) { return ptrdiff_t{(&kPack.shuffle[0][0])[at + 15]} - 0x80; }

// Stores the first k (at most 12) bytes of `bytes`, zeros after them, as whole four-byte
// words: up to three zero bytes more.
QP_TARGET_AVX2 QP_ALWAYS_INLINE void storeWords(unsigned char* p, __m128i bytes, int k) {
    if (k > 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), bytes);
        const int32_t word = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 8));
        std::memcpy(p + 8, &word, 4);
    } else if (k > 4) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), bytes);
    } else if (k > 0) {
        const int32_t word = _mm_cvtsi128_si32(bytes);
        std::memcpy(p, &word, 4);
    }
}

}  // namespace

namespace {
// Each lane's neighbour before or after it, across the two halves; 0 past the ends.
QP_TARGET_AVX2 QP_ALWAYS_INLINE __m256i unitBefore(__m256i u) {
    return _mm256_alignr_epi8(u, _mm256_permute2x128_si256(u, u, 0x08), 14);
}
QP_TARGET_AVX2 QP_ALWAYS_INLINE __m256i unitAfter(__m256i u) {
    return _mm256_alignr_epi8(_mm256_permute2x128_si256(u, u, 0x81), u, 2);
}

// surrogates, loneSurrogates and pairHalves for sixteen units.
QP_TARGET_AVX2 QP_ALWAYS_INLINE unsigned surrogates(const Constants& k, __m256i u) {
    return static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_cmpeq_epi16(_mm256_and_si256(u, v256(k.top5)), v256(k.highSurrogate))));
}

QP_TARGET_AVX2 QP_ALWAYS_INLINE unsigned loneSurrogates(const Constants& k, __m256i u) {
    const __m256i top = _mm256_and_si256(u, v256(k.top6));
    const __m256i high = _mm256_cmpeq_epi16(top, v256(k.highSurrogate));
    const __m256i low = _mm256_cmpeq_epi16(top, v256(k.lowSurrogate));
    const __m256i lowAfter = _mm256_or_si256(unitAfter(low), v256(k.last16));
    const __m256i paired =
        _mm256_or_si256(_mm256_and_si256(high, lowAfter), _mm256_and_si256(low, unitBefore(high)));
    return static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_andnot_si256(paired, _mm256_or_si256(high, low))));
}

QP_TARGET_AVX2 QP_ALWAYS_INLINE __m256i pairHalves(const Constants& k, __m256i u, __m256i tail) {
    const __m256i high =
        _mm256_cmpeq_epi16(_mm256_and_si256(u, v256(k.top6)), v256(k.highSurrogate));
    const __m256i plane = _mm256_add_epi16(u, v256(k.planeOne));
    const __m256i first = _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(plane, 8), v256(k.low3)),
                        _mm256_and_si256(_mm256_slli_epi16(plane, 6), v256(k.bits8to13))),
        v256(k.pairMarks));
    const __m256i before = _mm256_slli_epi16(unitBefore(u), 4);
    const __m256i second = _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(tail, v256(k.highBytes)),
                        _mm256_and_si256(before, v256(k.bits4to5))),
        _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(u, 6), v256(k.low4)), v256(k.lowMark)));
    return _mm256_blendv_epi8(second, first, high);
}

// Loads the block of sixteen units at `s` and its surrogates; false when it holds a lone
// one, which the caller's steps take unit by unit.
QP_TARGET_AVX2 QP_ALWAYS_INLINE bool loadBlock(const Constants& k, const WCHAR* s, __m256i& u,
                                               unsigned& surrogateBits) {
    u = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    surrogateBits = surrogates(k, u);
    return !surrogateBits || !loneSurrogates(k, u);
}

QP_TARGET_AVX2 QP_ALWAYS_INLINE __m256i packRows(size_t low, size_t high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(packRow(low)), packRow(high), 1);
}
}  // namespace

// Sixteen units a block, in four groups of four units shuffled into place. Stored
// whole, a block reaches up to twelve bytes past its end (thirteen when it holds back a
// high surrogate), into the room the next block is sure to have; in whole words, it stays
// within its 48 bytes at most. What is left (fewer than sixteen units, a block with a lone
// surrogate) is the caller's, unit by unit.
QP_NOINLINE QP_TARGET_AVX2 int blocksAvx2(const WCHAR* src, int i, int units, unsigned char* out,
                                          int& len, int room) {
    const WCHAR* s = src + i;
    unsigned char* p = out + len;
    bool go = units - i >= 16 && room - len >= 48;
    // The last unit and byte a block may start at (any, when none may).
    const WCHAR* const lastS = go ? src + (units - 16) : src;
    unsigned char* const lastP = go ? out + (room - 48) : out;
    const Constants& k = constants();
    const __m256i zero = _mm256_setzero_si256();
    __m256i u = zero;
    unsigned surrogateBits = 0;
    if (go) go = loadBlock(k, s, u, surrogateBits);
    while (go) {
        __m256i ascii = _mm256_cmpeq_epi16(_mm256_and_si256(u, v256(k.notAscii)), zero);
        if (_mm256_movemask_epi8(ascii) == -1) {
            do {
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(p),
                    _mm_packus_epi16(_mm256_castsi256_si128(u), _mm256_extracti128_si256(u, 1)));
                p += 16;
                s += 16;
                go = s <= lastS && p <= lastP;
                if (!go) break;
                u = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
                ascii = _mm256_cmpeq_epi16(_mm256_and_si256(u, v256(k.notAscii)), zero);
            } while (_mm256_movemask_epi8(ascii) == -1);
            if (!go) break;
            surrogateBits = surrogates(k, u);
            if (surrogateBits && loneSurrogates(k, u)) break;
        }
        const __m256i below800 = _mm256_cmpeq_epi16(_mm256_and_si256(u, v256(k.top5)), zero);
        const __m256i tail = _mm256_or_si256(
            _mm256_and_si256(_mm256_shuffle_epi8(u, v256(k.dupLow)), v256(k.tailBits)),
            v256(k.tailMark));
        __m256i heads =
            _mm256_or_si256(_mm256_maddubs_epi16(_mm256_srli_epi16(u, 4), v256(k.leadPlaces)),
                            _mm256_sub_epi16(v256(k.leadMarks), _mm256_slli_epi16(below800, 14)));
        __m256i kinds = _mm256_or_si256(ascii, _mm256_slli_epi16(below800, 8));
        bool holds = false;  // a high surrogate in lane 15, left to the next block
        if (surrogateBits) {
            const __m256i pairs =
                _mm256_cmpeq_epi16(_mm256_and_si256(u, v256(k.top5)), v256(k.highSurrogate));
            __m256i halves = pairHalves(k, u, tail);
            holds = static_cast<uint16_t>(s[15]) - 0xD800u < 0x400u;
            if (holds) halves = _mm256_andnot_si256(v256(k.last16), halves);
            heads = _mm256_blendv_epi8(heads, halves, pairs);
            kinds = _mm256_or_si256(kinds, _mm256_and_si256(pairs, v256(k.lowBytes)));
        }
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(kinds));
        const size_t at0 = (mask << 4) & 0xFF0, at1 = (mask >> 4) & 0xFF0;
        const size_t at2 = (mask >> 12) & 0xFF0, at3 = (mask >> 20) & 0xFF0;
        // Units 0-3 and 8-11, then 4-7 and 12-15.
        const __m256i packedLow =
            _mm256_shuffle_epi8(_mm256_unpacklo_epi16(tail, heads), packRows(at0, at2));
        const __m256i packedHigh =
            _mm256_shuffle_epi8(_mm256_unpackhi_epi16(tail, heads), packRows(at1, at3));
        unsigned char* const p1 = p + packLength(at0);
        unsigned char* const p2 = p1 + packLength(at1);
        unsigned char* const p3 = p2 + packLength(at2);
        unsigned char* end = p3 + packLength(at3);
        const WCHAR* nextS = s + 16;
        if (holds) {  // its two zero bytes stay past the block
            end -= 2;
            --nextS;
        }
        bool more = nextS <= lastS && end <= lastP;
        __m256i next = u;
        unsigned nextSurrogates = 0;
        if (more) more = loadBlock(k, nextS, next, nextSurrogates);
        const __m128i group0 = _mm256_castsi256_si128(packedLow);
        const __m128i group1 = _mm256_castsi256_si128(packedHigh);
        const __m128i group2 = _mm256_extracti128_si256(packedLow, 1);
        const __m128i group3 = _mm256_extracti128_si256(packedHigh, 1);
        if (more) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), group0);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p1), group1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p2), group2);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p3), group3);
        } else {
            storeWords(p, group0, static_cast<int>(p1 - p));
            storeWords(p1, group1, static_cast<int>(p2 - p1));
            storeWords(p2, group2, static_cast<int>(p3 - p2));
            storeWords(p3, group3, static_cast<int>(end - p3));
        }
        p = end;
        s = nextS;
        go = more;
        u = next;
        surrogateBits = nextSurrogates;
    }
    len = static_cast<int>(p - out);
    return static_cast<int>(s - src);
}

// wideLength with aligned 32-byte loads, four a step from the first 128-byte boundary on,
// for utf16ToUtf8 along the AVX2 path: neither a load nor a step crosses a page. wideLength
// itself stays on SSE2, for its callers' short texts.
__attribute__((no_sanitize_address)) QP_HOT QP_TARGET_AVX2 int wideLengthAvx2(const WCHAR* text) {
    if (!text) return 0;
    const auto address = reinterpret_cast<uintptr_t>(text);
    if (address % sizeof(WCHAR) != 0) return wideLength(text);
    const __m256i zero = _mm256_setzero_si256();
    const auto* block = reinterpret_cast<const __m256i*>(address & ~uintptr_t{31});
    // Two mask bits a unit; the bits of the bytes before the text are shifted out.
    unsigned zeros = static_cast<unsigned>(_mm256_movemask_epi8(
                         _mm256_cmpeq_epi16(_mm256_load_si256(block), zero))) >>
                     (address & 31);
    if (zeros != 0) return static_cast<int>(__builtin_ctz(zeros) / sizeof(WCHAR));
    for (++block; reinterpret_cast<uintptr_t>(block) % 128 != 0; ++block) {
        zeros = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi16(_mm256_load_si256(block), zero)));
        if (zeros != 0) break;
    }
    for (; zeros == 0; block += 4) {
        const __m256i a = _mm256_cmpeq_epi16(_mm256_load_si256(block), zero);
        const __m256i b = _mm256_cmpeq_epi16(_mm256_load_si256(block + 1), zero);
        const __m256i c = _mm256_cmpeq_epi16(_mm256_load_si256(block + 2), zero);
        const __m256i d = _mm256_cmpeq_epi16(_mm256_load_si256(block + 3), zero);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
        if (_mm256_testz_si256(any, any)) continue;
        // The first of the four with a zero unit.
        zeros = static_cast<unsigned>(_mm256_movemask_epi8(a));
        if (zeros == 0) {
            ++block;
            zeros = static_cast<unsigned>(_mm256_movemask_epi8(b));
        }
        if (zeros == 0) {
            ++block;
            zeros = static_cast<unsigned>(_mm256_movemask_epi8(c));
        }
        if (zeros == 0) {
            ++block;
            zeros = static_cast<unsigned>(_mm256_movemask_epi8(d));
        }
        break;
    }
    const auto at = reinterpret_cast<uintptr_t>(block) + __builtin_ctz(zeros);
    return static_cast<int>((at - address) / sizeof(WCHAR));
}

}  // namespace quillpen
#endif
