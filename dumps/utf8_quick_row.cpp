// Whole decode-table rows laid out at once. Within a row of valid UTF-8 without control
// bytes, the character area depends only on where characters begin: which of the row's
// bytes (with the one before it and the three after it) are lead bytes. So each half of
// the row is one byte shuffle, looked up by that pattern of lead bytes:
//   first:  the rest of the character the previous row's end cut, then from the row's first
//           lead byte through the group mark and the character across it (lead bytes at
//           offsets -1..10 of the row: 4,096 patterns);
//   second: from the first lead byte at offset 8 or later through the row's end, and what it
//           leaves unfinished (lead bytes at offsets 8..18: 2,048 patterns).
// The shuffles are built once from the shapes of utf8_layout.h, the same ones the
// per-character steps show, so both give the same bytes.
#include <cstring>

#include "core/cpu.h"
#include "dumps/utf8.h"

#if QP_HAS_RUNTIME_SIMD
#include <immintrin.h>
#endif

namespace quillpen {

#if QP_HAS_RUNTIME_SIMD
namespace {

constexpr int kFirstPatterns = 1 << 12;
constexpr int kSecondPatterns = 1 << 11;
// A shuffle reads a window of sixteen bytes: data bytes in slots 0..11, these in 12..14.
constexpr char kFiller = '.';
constexpr char kPlaceholder = '`';
constexpr char kMark = '|';
constexpr uint8_t kFillerSlot = 12;
constexpr uint8_t kPlaceholderSlot = 13;
constexpr uint8_t kMarkSlot = 14;
constexpr uint8_t kNoByte = 0x80;  // a shuffle index that gives 0 (past the bytes kept)

// Room each shuffle's bytes may take; a pattern needing more has no program.
constexpr int kFirstRoom = 32;
constexpr int kSecondRoom = 16;
// What a quick row may store from its first byte: the hex area and its mark (50), each
// shuffle's bytes, "|", the trailer.
constexpr int32_t kQuickRowRoom = 50 + kFirstRoom + kSecondRoom + 1 + 16;

constexpr int kTrailers = kDumpUtf8MaxSize / 16 + 1;

struct Program {
    uint8_t index[32];
    int length;
};

struct RowPrograms {
    alignas(16) uint8_t first[kFirstPatterns][kFirstRoom];     // window: the byte before the row,
                                                               // then offsets 0..14
    alignas(16) uint8_t second[kSecondPatterns][kSecondRoom];  // window: offsets 8..23
    alignas(16) char trailers[kTrailers][16];                  // after 16 x k bytes
    uint8_t firstLength[kFirstPatterns];  // 0: no program (not a pattern of valid UTF-8)
    uint8_t secondLength[kSecondPatterns];
    int16_t secondSplit[kSecondPatterns];
};

// Appends the shuffle indexes of `shape`, whose glyph is window slots glyphAt onwards.
bool emit(Program& program, const CharShape& shape, int glyphAt, int glyphBytes, int room) {
    for (const char* symbol = shape.symbols; *symbol; ++symbol) {
        const int n = *symbol == 'G' ? glyphBytes : 1;
        if (program.length + n > room) return false;
        for (int k = 0; k < n; ++k) {
            program.index[program.length++] = *symbol == 'G' ? static_cast<uint8_t>(glyphAt + k)
                                              : *symbol == kFiller      ? kFillerSlot
                                              : *symbol == kPlaceholder ? kPlaceholderSlot
                                                                        : kMarkSlot;
        }
    }
    return true;
}

// Offset of the next lead byte after `p` in an 11-bit pattern; 11 when none is there.
int nextLead(unsigned pattern, int p) {
    const unsigned after = pattern >> (p + 1);
    return after != 0 ? p + 1 + __builtin_ctz(after) : 11;
}

// The characters of the pattern from its first lead byte (offset `base` of the row) up to
// the one that takes column `lastColumn`; the glyph of offset p is window slot p + slotShift.
// False for a pattern valid UTF-8 cannot have. `split` receives what is left unfinished.
bool buildHalf(Program& program, unsigned pattern, int base, int lastColumn, int slotShift,
               int room, int16_t& split) {
    if (pattern == 0) return false;
    int p = __builtin_ctz(pattern);
    if (p > 3) return false;  // continuation bytes of no character
    for (;;) {
        const int n = nextLead(pattern, p) - p;
        if (n > 4) return false;
        const CharShape shape = charShape(n, base + p);
        if (!emit(program, shape, p + slotShift, n, room)) return false;
        if (base + p + n - 1 >= lastColumn) {
            split = shape.split;
            // A character ending on column 7 does not hold the mark: it follows.
            if (base + p + n - 1 == 7)
                return emit(program, CharShape{"|", 0, 0, 0, false}, 0, 0, room);
            return true;
        }
        p += n;
    }
}

// The first half's program for lead bytes at offsets -1..10 (bit 0 the byte before the
// row): the rest of a character the previous row cut, told by how many continuation bytes
// begin the row and whether its lead byte was the previous row's last, then the characters
// from the first lead byte on.
bool buildFirst(Program& program, unsigned pattern) {
    const bool leadBefore = (pattern & 1) != 0;
    const unsigned row = pattern >> 1;
    if (row == 0) return false;
    int32_t cut = 0;
    switch (__builtin_ctz(row)) {
        case 0:
            break;
        case 1:  // its rest is one filler, whatever its length
            cut = kSplit2At15;
            break;
        case 2:
            cut = leadBefore ? kSplit3At15 : kSplit4At14;
            break;
        case 3:
            if (!leadBefore) return false;
            cut = kSplit4At15;
            break;
        default:
            return false;
    }
    if (cut != 0) {
        const CharShape rest = finishShape(cut);
        if (!emit(program, rest, 0, rest.taken + 1, kFirstRoom)) return false;
    }
    int16_t split = 0;
    return buildHalf(program, row, 0, 7, 1, kFirstRoom, split);
}

// Copies a program into its table; indexes past its bytes give zeros.
template <size_t N>
void keep(const Program& program, bool valid, uint8_t (&index)[N], uint8_t& length) {
    for (size_t at = 0; at < N; ++at)
        index[at] = valid && at < static_cast<size_t>(program.length) ? program.index[at] : kNoByte;
    length = valid ? static_cast<uint8_t>(program.length) : 0;
}

const RowPrograms& rowPrograms() {
    static const RowPrograms* const programs = [] {
        static RowPrograms built{};
        for (unsigned pattern = 0; pattern < kFirstPatterns; ++pattern) {
            Program first{};
            const bool valid = buildFirst(first, pattern);
            keep(first, valid, built.first[pattern], built.firstLength[pattern]);
        }
        for (unsigned pattern = 0; pattern < kSecondPatterns; ++pattern) {
            Program second{};
            const bool secondValid =
                buildHalf(second, pattern, 8, 15, 0, kSecondRoom, built.secondSplit[pattern]);
            keep(second, secondValid, built.second[pattern], built.secondLength[pattern]);
        }
        for (int k = 0; k < kTrailers; ++k) putRowTrailer(built.trailers[k], 16 * k);
        return &built;
    }();
    return *programs;
}

QP_TARGET_AVX2 __m128i shuffle(__m128i window, const uint8_t* index) {
    return _mm_shuffle_epi8(window, _mm_load_si128(reinterpret_cast<const __m128i*>(index)));
}

QP_TARGET_AVX2 void store(char* out, __m128i bytes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
}

QP_TARGET_AVX2 __m256i load2(const uint8_t* from) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
}

// A constant of sixteen bytes in both lanes, kept in memory: built in registers instead,
// it would be rebuilt at every use inside the row loop.
struct BothLanes {
    alignas(32) char bytes[32];
};
constexpr BothLanes bothLanes(const char (&lane)[16]) {
    BothLanes both{};
    for (int k = 0; k < 16; ++k) both.bytes[k] = both.bytes[16 + k] = lane[k];
    return both;
}

QP_TARGET_AVX2 __m256i load(const BothLanes& both) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(both.bytes));
}

constexpr char X = -128;  // a shuffle index that gives 0
constexpr BothLanes kHexDigits =
    bothLanes({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'});
constexpr BothLanes kNibble =
    bothLanes({15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15});
// Digit pairs of cells 0..7 (cells0) and 8..15 (cells1) into the three pieces of the hex
// area, the gaps between them filled after.
constexpr BothLanes kPiece0 = bothLanes({0, 1, X, 2, 3, X, 4, 5, X, 6, 7, X, 8, 9, X, 10});
constexpr BothLanes kPiece1Low = bothLanes({11, X, 12, 13, X, 14, 15, X, X, X, X, X, X, X, X, X});
constexpr BothLanes kPiece1High = bothLanes({X, X, X, X, X, X, X, X, X, 0, 1, X, 2, 3, X, 4});
constexpr BothLanes kPiece2 = bothLanes({5, X, 6, 7, X, 8, 9, X, 10, 11, X, 12, 13, X, 14, 15});
constexpr BothLanes kGaps0 = bothLanes({0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0});
constexpr BothLanes kGaps1 =
    bothLanes({0, ' ', 0, 0, ' ', 0, 0, ' ', '|', 0, 0, ' ', 0, 0, ' ', 0});
constexpr BothLanes kGaps2 = bothLanes({0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0});
// A shuffle window: the row's bytes in slots 0..11, the symbols in 12..14.
constexpr BothLanes kWindowKeep =
    bothLanes({-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0});
constexpr BothLanes kWindowSymbols =
    bothLanes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kFiller, kPlaceholder, kMark, 0});

// What two rows' bytes alone decide, one row a lane: the hex area (three pieces of 16
// bytes) and the shuffle windows of both halves (the row's bytes in slots 0..11, the
// symbols in 12..14).
struct RowPairParts {
    __m256i hex[3];
    __m256i firstWindow;   // from the byte before the row
    __m256i secondWindow;  // from offset 8
};

// `before`: the 32 bytes from the one before the first row.
QP_TARGET_AVX2 RowPairParts rowPairParts(const uint8_t* row, __m256i bytes, __m256i before) {
    const __m256i digits = load(kHexDigits);
    const __m256i nibble = load(kNibble);
    const __m256i high =
        _mm256_shuffle_epi8(digits, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
    const __m256i low = _mm256_shuffle_epi8(digits, _mm256_and_si256(bytes, nibble));
    const __m256i cells0 = _mm256_unpacklo_epi8(high, low);
    const __m256i cells1 = _mm256_unpackhi_epi8(high, low);
    RowPairParts parts;
    parts.hex[0] = _mm256_or_si256(_mm256_shuffle_epi8(cells0, load(kPiece0)), load(kGaps0));
    parts.hex[1] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(cells0, load(kPiece1Low)),
                                                   _mm256_shuffle_epi8(cells1, load(kPiece1High))),
                                   load(kGaps1));
    parts.hex[2] = _mm256_or_si256(_mm256_shuffle_epi8(cells1, load(kPiece2)), load(kGaps2));
    const __m256i keep = load(kWindowKeep);
    const __m256i symbols = load(kWindowSymbols);
    parts.firstWindow = _mm256_or_si256(_mm256_and_si256(before, keep), symbols);
    parts.secondWindow = _mm256_or_si256(_mm256_and_si256(load2(row + 8), keep), symbols);
    return parts;
}

// Lane `lane` of `pair`.
template <int lane>
QP_TARGET_AVX2 __m128i half(__m256i pair) {
    return lane == 0 ? _mm256_castsi256_si128(pair) : _mm256_extracti128_si256(pair, 1);
}

// One row from its parts (lane `lane`) and the patterns of its lead bytes: the hex area,
// "|", both halves, "|" and the trailer of `cntAfter` bytes; `split` receives what the row
// leaves for the next.
template <int lane>
QP_TARGET_AVX2 char* putRow(char* out, const RowPairParts& parts, unsigned firstPattern,
                            unsigned secondPattern, int32_t& split, int32_t cntAfter,
                            const RowPrograms& programs) {
    store(out, half<lane>(parts.hex[0]));
    store(out + 16, half<lane>(parts.hex[1]));
    store(out + 32, half<lane>(parts.hex[2]));
    std::memcpy(out + 48, " |", 2);
    out += 50;
    const __m128i firstWindow = half<lane>(parts.firstWindow);
    const unsigned firstLength = programs.firstLength[firstPattern];
    store(out, shuffle(firstWindow, programs.first[firstPattern]));
    if (firstLength > 16)  // a few patterns only
        store(out + 16, shuffle(firstWindow, programs.first[firstPattern] + 16));
    out += firstLength;
    store(out, shuffle(half<lane>(parts.secondWindow), programs.second[secondPattern]));
    out += programs.secondLength[secondPattern];
    *out++ = '|';
    const auto trailer = programs.trailers[static_cast<unsigned>(cntAfter) / 16];
    store(out, _mm_load_si128(reinterpret_cast<const __m128i*>(trailer)));
    split = programs.secondSplit[secondPattern];
    return out + 16;
}

// Bit k set where byte k is a lead byte (not 10xxxxxx).
QP_TARGET_AVX2 uint32_t leadBits(__m256i bytes) {
    const __m256i continuation =
        _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0xC0)), bytes);
    return ~static_cast<uint32_t>(_mm256_movemask_epi8(continuation));
}

// Bit set where a byte is a control byte (0x00..0x1F, 0x7F), which the per-character steps
// report.
QP_TARGET_AVX2 uint32_t controlBits(__m256i bytes) {
    const __m256i below20 =
        _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, _mm256_set1_epi8(0x1F)), bytes);
    const __m256i del = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(0x7F));
    return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(below20, del)));
}

}  // namespace

bool quickRowsAvailable() {
    if (!cpuHasAvx2()) return false;
    rowPrograms();  // built before the first row, not inside it
    return true;
}

// Two rows a step, one a lane; a step whose second row is not a quick one (a control byte,
// the last rows, the block's room) keeps only the first.
QP_TARGET_AVX2 bool appendQuickRows(DumpBlock& block, Utf8Cursor& cur, const uint8_t* data) {
    const RowPrograms& programs = rowPrograms();
    // The first row has no byte before it: its steps read a copy of the data's start behind
    // a zero.
    uint8_t head[1 + 16 + kQuickRowTail] = {};
    if (cur.cnt == 0 && cur.size >= 16) std::memcpy(head + 1, data, sizeof head - 1);
    const int32_t lastRow = cur.size - 16;
    char* out = block.text + block.outLen;
    char* const roomEnd = block.text + block.capacity - kQuickRowRoom;  // keeps the NUL's byte
    int32_t cnt = cur.cnt;
    int32_t split = cur.splitState;
    while (cnt <= lastRow && out < roomEnd) {  // a short last row has blanks: not here
        const uint8_t* row = cnt == 0 ? head + 1 : data + cnt;
        const __m256i bytes = load2(row);
        const uint32_t control = controlBits(bytes);
        if ((control & 0xFFFF) != 0) break;
        // Bit k: the byte at offset k - 1 is a lead byte, for offsets -1..34.
        const __m256i before = load2(row - 1);
        const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 31));
        const uint64_t leads =
            leadBits(before) | uint64_t{leadBits(_mm256_zextsi128_si256(after)) & 0xF} << 32;
        const unsigned first0 = leads & (kFirstPatterns - 1);
        const unsigned second0 = (leads >> 9) & (kSecondPatterns - 1);
        if (programs.firstLength[first0] == 0 || programs.secondLength[second0] == 0) break;
        const RowPairParts parts = rowPairParts(row, bytes, before);
        out = putRow<0>(out, parts, first0, second0, split, cnt + 16, programs);
        cnt += 16;
        const unsigned first1 = (leads >> 16) & (kFirstPatterns - 1);
        const unsigned second1 = (leads >> 25) & (kSecondPatterns - 1);
        if (cnt > lastRow || out >= roomEnd || control != 0 || programs.firstLength[first1] == 0 ||
            programs.secondLength[second1] == 0)
            continue;
        out = putRow<1>(out, parts, first1, second1, split, cnt + 16, programs);
        cnt += 16;
    }
    if (cnt == cur.cnt) return false;
    cur.pb = data + cnt;
    cur.cnt = cnt;
    cur.splitState = split;
    cur.splitLead = data[cnt - 1];  // read only after a cut in column 15, whose lead it is
    cur.i = 16;
    cur.marked = true;
    block.outLen = static_cast<int32_t>(out - block.text);
    return true;
}

#else
bool quickRowsAvailable() { return false; }
bool appendQuickRows(DumpBlock&, Utf8Cursor&, const uint8_t*) { return false; }
#endif

}  // namespace quillpen
