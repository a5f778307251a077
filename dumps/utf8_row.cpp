// The rows of the decode table. Each row shows sixteen data bytes:
//
//   hex area: sixteen "%02x " cells ("   " past the data), "|" after the eighth
//   "|", the character area: sixteen columns, the group mark "|" between columns 7 and 8
//   "|", then the count of bytes shown so far, " %06d 0x%04x" CR LF
//
//   "ABCDEFG日éZ" =>
//   41 42 43 44 45 46 47 e6 |97 a5 c3 a9 5a          |ABCDEFG`|日é.Z   | 000013 0x000d
//
// In the character area every data byte takes one column, so column k always shows byte k
// of the row; columns past the data are blanks. A character of n bytes shows its glyph (its
// bytes as they stand) in its first column, one cell wide for n = 1 and 2 and two cells for
// n = 3 and 4, and fillers "." in the columns the glyph leaves. A two-cell glyph never
// straddles the group mark or the end of a row: when its lead byte falls in column 7 or 15,
// a placeholder "`" takes that column and the glyph the next two, as 日 above. A character
// the end of a row cuts goes on in column 0 of the next row:
//
//   "ABCDEFGHIJKLMNO日" => |ABCDEFGH|IJKLMNO`| and then |日      |        |
//
// A control byte is reported and shows nothing, though its column counts as taken.
#include <algorithm>
#include <cstring>

#include "core/digits.h"
#include "core/line_writer.h"
#include "dumps/utf8.h"

namespace quillpen {
namespace {

// The trailer's counts: below 10000, so "00" and two digit pairs; four hex digits.
static_assert(kDumpUtf8MaxSize < 10000, "trailer widths");

// The two hex digits of every byte.
struct HexPairs {
    char pair[256][2];
};
constexpr HexPairs makeHexPairs() {
    constexpr char kDigits[] = "0123456789abcdef";
    HexPairs pairs{};
    for (int b = 0; b < 256; ++b) {
        pairs.pair[b][0] = kDigits[b >> 4];
        pairs.pair[b][1] = kDigits[b & 15];
    }
    return pairs;
}
constexpr HexPairs kHex = makeHexPairs();

// Bytes of a character by its lead byte; 0 for a byte that cannot start one. A table: the
// length of mixed text's characters is too irregular for a chain of tests.
struct LeadBytes {
    int8_t n[256];
};
constexpr LeadBytes makeLeadBytes() {
    LeadBytes lengths{};
    for (int b = 1; b < 256; ++b)
        lengths.n[b] = b <= 0x7F   ? 1
                       : b < 0xC2  ? 0
                       : b <= 0xDF ? 2
                       : b <= 0xEF ? 3
                       : b <= 0xF7 ? 4
                                   : 0;
    return lengths;
}
constexpr LeadBytes kLeadBytes = makeLeadBytes();

// The row loop's cursor: where the next data byte is, and the character classified last,
// which the group mark or the end of a row may have cut. A data byte's column is its offset
// modulo 16.
struct Utf8Cursor {
    const uint8_t* data;
    int32_t size;     // data bytes in all
    int32_t cnt;      // data bytes taken so far
    int32_t lead;     // data offset of the lead byte of the character classified last
    int32_t byteCnt;  // its bytes; it goes on while cnt is below lead + byteCnt
};

bool isPrintable(uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; }

// The hex area and the "|" that opens the character area: each half of the row's sixteen
// cells ("   " past the data) is followed by a mark.
char* putHexArea(char* out, const uint8_t* row, int32_t present) {
    for (int32_t half = 0; half < 16; half += 8) {
        for (int32_t k = half; k < half + 8; ++k, out += 3) {
            std::memcpy(out, k < present ? kHex.pair[row[k]] : "  ", 2);
            out[2] = ' ';
        }
        *out++ = '|';
    }
    return out;
}

// " %06d 0x%04x" CR LF.
char* putTrailer(char* out, int32_t cnt) {
    std::memcpy(out, " 00", 3);
    std::memcpy(out + 3, kDigitPairs + 2 * (cnt / 100), 2);
    std::memcpy(out + 5, kDigitPairs + 2 * (cnt % 100), 2);
    std::memcpy(out + 7, " 0x", 3);
    std::memcpy(out + 10, kHex.pair[cnt >> 8], 2);
    std::memcpy(out + 12, kHex.pair[cnt & 0xFF], 2);
    std::memcpy(out + 14, "\r\n", 2);
    return out + 16;
}

// Cells of a character's glyph: one for 1 and 2 bytes, two for 3 and 4.
int32_t glyphCells(int32_t bytes) { return bytes >= 3 ? 2 : 1; }

// A two-cell glyph whose lead byte falls in column 7 or 15 (data offset 7 modulo 8) would
// straddle the group mark or the row's end: it moves one column on, behind a placeholder.
bool glyphMoves(int32_t lead, int32_t bytes) { return glyphCells(bytes) == 2 && lead % 8 == 7; }

// A glyph of 1 to 4 bytes, copied without a loop: for so few bytes a loop (or the call to
// memcpy a compiler makes of it) costs more than the bytes.
char* copyGlyph(char* out, const uint8_t* glyph, int32_t bytes) {
    out[0] = static_cast<char>(glyph[0]);
    if (bytes > 1) out[1] = static_cast<char>(glyph[1]);
    if (bytes > 2) out[2] = static_cast<char>(glyph[2]);
    if (bytes > 3) out[3] = static_cast<char>(glyph[3]);
    return out + bytes;
}

// Fillers: no character needs more than two.
char* putFillers(char* out, int32_t count) {
    if (count > 0) *out++ = '.';
    if (count > 1) *out++ = '.';
    return out;
}

// A one-byte character: a printable one shows itself. A control byte (or a byte that starts
// no character, never produced by the conversion) is reported; its column counts as taken
// but stays empty.
char* utf8_setAsciiConpat(const DumpBlock& block, char* out, uint8_t byte, int32_t at) {
    if (isPrintable(byte)) {
        *out = static_cast<char>(byte);
        return out + 1;
    }
    logSyslog(kError, msg::kDumpUtf8BadByte, msg::kDumpUtf8BadByteLine, static_cast<int32_t>(byte),
              static_cast<int32_t>(out - block.text), at);
    return out;
}

// A character of 2 to 4 bytes at data offset `at`, in the columns before offset `stop` (the
// group mark, the row's end or the data's end); `at` moves past them. A character of n
// bytes takes n columns: its glyph, then fillers in the columns the glyph leaves. One that
// `stop` cuts shows a placeholder if its glyph moves, else its glyph and fillers, and the
// cursor keeps it for the rest.
char* utf8chsrsSet(char* out, Utf8Cursor& cur, int32_t n, int32_t& at, int32_t stop) {
    const uint8_t* lead = cur.data + at;
    if (n <= stop - at) {
        out = putFillers(copyGlyph(out, lead, n), n - glyphCells(n));
        at += n;
        return out;
    }
    cur.lead = at;
    cur.byteCnt = n;
    if (glyphMoves(at, n)) {
        *out++ = '`';
    } else {
        out = copyGlyph(out, lead, std::min(n, cur.size - at));
        out = putFillers(out, stop - at - glyphCells(n));
    }
    at = stop;
    return out;
}

// The rest of the character the cursor keeps, from offset `at` just after the cut: its
// glyph if it moved here, then fillers; `at` moves past it.
char* finishCutCharacter(char* out, const Utf8Cursor& cur, int32_t& at) {
    const int32_t n = cur.byteCnt;
    const int32_t columns = std::min(cur.lead + n, cur.size) - at;
    int32_t fillers = columns;
    if (glyphMoves(cur.lead, n)) {
        out = copyGlyph(out, cur.data + cur.lead, std::min(n, cur.size - cur.lead));
        fillers -= glyphCells(n);
    }
    at += columns;
    return putFillers(out, fillers);
}

// The character area of the row from the cursor, half by half (columns 0 to 7, then 8 to
// 15), each followed by a mark: the group mark, then the area's end. A half begins with the
// rest of a character the mark or the previous row's end cut, if any; blanks past the data.
char* putCharacterArea(const DumpBlock& block, char* out, Utf8Cursor& cur) {
    const uint8_t* const data = cur.data;  // a copy the stores into the block cannot change
    const int32_t rowStart = cur.cnt;
    int32_t at = rowStart;
    for (int32_t end = rowStart + 8; end <= rowStart + 16; end += 8) {
        if (at < cur.lead + cur.byteCnt) out = finishCutCharacter(out, cur, at);
        const int32_t stop = std::min(end, cur.size);
        while (at < stop) {
            // Printable ASCII, most of most text, is known without the table.
            const int32_t n = isPrintable(data[at]) ? 1 : utf8LeadByteCount(data[at]);
            if (n >= 2) {
                out = utf8chsrsSet(out, cur, n, at, stop);
            } else {
                out = utf8_setAsciiConpat(block, out, data[at], at);
                at += 1;
            }
        }
        for (int32_t k = std::max(at, end - 8); k < end; ++k) *out++ = ' ';
        *out++ = '|';
    }
    cur.cnt = at;
    return out;
}

// One row from the cursor, composed in place; false, composing nothing, when the block has
// no room for the longest row.
bool appendRow(DumpBlock& block, Utf8Cursor& cur) {
    if (block.capacity - block.outLen <= kMaxRowBytes) return false;  // keeps the NUL's byte
    char* out = putHexArea(block.text + block.outLen, cur.data + cur.cnt, cur.size - cur.cnt);
    out = putCharacterArea(block, out, cur);
    out = putTrailer(out, cur.cnt);
    block.outLen = static_cast<int32_t>(out - block.text);
    return true;
}

}  // namespace

int32_t utf8LeadByteCount(uint8_t lead) { return kLeadBytes.n[lead]; }

bool appendRows(DumpBlock& block, const uint8_t* data, int32_t size) {
    Utf8Cursor cur{data, size, 0, 0, 0};
    while (cur.cnt < size)
        if (!appendRow(block, cur)) return false;
    return true;
}

}  // namespace quillpen
