// logDumpUTF8 and its worker: the argument guards, then the table composed whole in a block
// sized from the data (a row takes at most 93 bytes) and written with one WriteFile.
//
// Row layout, 84 to 93 bytes: the hex area (sixteen "%02x " cells, three blanks past the
// data, "|" after cell 7), "|", the character area (sixteen columns with the group mark
// between 7 and 8), "|", and the bytes dumped so far as " %06d 0x%04x" CR LF.
//   "ABC" => "41 42 43                |                        |ABC     |        | 000003 0x0003"
#include "dumps/utf8.h"

#include <cstring>

#include "core/clock.h"
#include "core/digits.h"
#include "core/line_writer.h"
#include "core/session_lock.h"
#include "core/log_file.h"
#include "core/session.h"
#include "text/utf.h"

namespace quillpen {
namespace {

constexpr int32_t kMaxDataBytes = 8190;     // the data argument, UTF-16 bytes
constexpr int32_t kMaxPrefixBytes = 510;    // the prefix argument, UTF-16 bytes
constexpr int32_t kPrefixAreaBytes = 1040;  // UTF-8 of a 255-unit prefix and its NUL

constexpr char kSeparator[] =
    "-----------------------------------------------------------------------------------\r\n";
constexpr char kRuler[] =
    "00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex\r\n";
// The header line without its prefix, with the widest address, name and size.
constexpr int32_t kHeaderFixedBytes = 128;

constexpr int32_t kSeparatorBytes = sizeof kSeparator - 1;
constexpr int32_t kRulerBytes = sizeof kRuler - 1;
static_assert(kSeparatorBytes == 85 && kRulerBytes == 80, "line widths of the table");
// A glyph is read with a four-byte load, up to three bytes past the data, within gOutBufA.
static_assert(kDumpUtf8MaxSize + 3 < kOutBufBytes, "glyph loads stay in gOutBufA");
static_assert(kDumpUtf8MaxSize + kQuickRowTail <= kOutBufBytes, "row loads stay in gOutBufA");
// The trailer's counts have six decimal and four hex digits.
static_assert(kDumpUtf8MaxSize <= 0xFFFF, "trailer widths");

constexpr char kHexDigits[] = "0123456789abcdef";

// "xx " for every byte, padded to four bytes for whole stores.
struct HexCells {
    char cell[256][4];
};
constexpr HexCells makeHexCells() {
    HexCells cells{};
    for (int b = 0; b < 256; ++b) {
        cells.cell[b][0] = kHexDigits[b >> 4];
        cells.cell[b][1] = kHexDigits[b & 15];
        cells.cell[b][2] = ' ';
        cells.cell[b][3] = ' ';
    }
    return cells;
}
constexpr HexCells kHexCells = makeHexCells();

// Bytes of a character that the row loop lays out itself from its lead byte: printable
// ASCII and the leads of 2- to 4-byte characters. 0 sends the byte to the per-character
// steps (control bytes, which are reported).
struct QuickLeads {
    uint8_t bytes[256];
};
constexpr QuickLeads makeQuickLeads() {
    QuickLeads leads{};
    for (int b = 0; b < 256; ++b)
        leads.bytes[b] = b >= 0x20 && b <= 0x7E   ? 1
                         : b >= 0xC2 && b <= 0xDF ? 2
                         : b >= 0xE0 && b <= 0xEF ? 3
                         : b >= 0xF0 && b <= 0xF7 ? 4
                                                  : 0;
    return leads;
}
constexpr QuickLeads kQuickLeads = makeQuickLeads();

// Room for the whole table of `size` data bytes, its NUL included.
int32_t blockCapacity(int32_t size) {
    const int32_t rows = (size + 15) / 16;
    return 3 * kSeparatorBytes + kRulerBytes + kPrefixAreaBytes + kHeaderFixedBytes +
           rows * kMaxRowBytes + kRowSlack + 1;
}

// The header, "addr={%p} prefix={%s} charSet={%s} size(BYTE)=%ld" and CR LF between the
// separators, composed piece by piece (the address as sixteen uppercase digits, as %p
// gives it): every table writes one.
bool appendHeader(DumpBlock& block, const WCHAR* prefix, int32_t size) {
    char prefixA[kPrefixAreaBytes];
    const int prefixBytes =
        utf16ToUtf8(prefix, prefixA, kPrefixAreaBytes);  // a checked prefix fits
    char address[16];
    auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(block.text));
    for (int k = 15; k >= 0; --k, bits >>= 4) address[k] = "0123456789ABCDEF"[bits & 15];
    char sizeDigits[10];
    int sizeAt = sizeof sizeDigits;
    auto rest = static_cast<uint32_t>(size);  // the caller's size is not negative
    do {
        sizeDigits[--sizeAt] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    const char* charSet = gLogCtx->bom != 0 ? "UTF8N(BomSet)" : "UTF8(NoBom)";
    return appendText(block, kSeparator) && appendText(block, "addr={") &&
           appendBytes(block, address, 16) && appendText(block, "} prefix={") &&
           appendBytes(block, prefixA, prefixBytes < 0 ? 0 : prefixBytes) &&
           appendText(block, "} charSet={") && appendText(block, charSet) &&
           appendText(block, "} size(BYTE)=") &&
           appendBytes(block, sizeDigits + sizeAt,
                       static_cast<int32_t>(sizeof sizeDigits) - sizeAt) &&
           appendText(block, "\r\n") && appendText(block, kRuler) && appendText(block, kSeparator);
}

// The sixteen "%02x " cells from `start` ("   " past the data), "|" after the eighth. A
// whole row, the common case, is sixteen stores without a test.
char* putHexArea(char* out, const uint8_t* data, int32_t start, int32_t size) {
    const int32_t present = size - start;
    const uint8_t* row = data + start;
    if (present >= 16) {
        for (int k = 0; k < 8; ++k) std::memcpy(out + 3 * k, kHexCells.cell[row[k]], 4);
        out[24] = '|';
        for (int k = 8; k < 16; ++k) std::memcpy(out + 1 + 3 * k, kHexCells.cell[row[k]], 4);
        return out + 49;
    }
    for (int32_t k = 0; k < 16; ++k) {
        if (k == 8) *out++ = '|';
        std::memcpy(out, k < present ? kHexCells.cell[row[k]] : "    ", 4);
        out += 3;
    }
    return out;
}

// " %06d 0x%04x" and CR LF; cnt is below 10000 (the table's limit), so the decimal field is
// "00" and two digit pairs.
static_assert(kDumpUtf8MaxSize < 10000, "trailer's decimal field");
}  // namespace

char* putRowTrailer(char* out, int32_t cnt) {
    std::memcpy(out, " 00", 3);
    std::memcpy(out + 3, kDigitPairs + 2 * (cnt / 100), 2);
    std::memcpy(out + 5, kDigitPairs + 2 * (cnt % 100), 2);
    std::memcpy(out + 7, " 0x", 3);
    std::memcpy(out + 10, kHexCells.cell[(cnt >> 8) & 0xFF], 2);
    std::memcpy(out + 12, kHexCells.cell[cnt & 0xFF], 2);
    std::memcpy(out + 14, "\r\n", 2);
    return out + 16;
}

namespace {

// Eight printable ASCII bytes (0x20 to 0x7E each), tested as one word.
bool printableAscii8(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
    const uint64_t below20 = (w - kOnes * 0x20) & ~w;          // high bit set where a byte < 0x20
    const uint64_t above7e = (w + kOnes * (0x7F - 0x7E)) | w;  // where a byte > 0x7E
    return ((below20 | above7e) & kHighs) == 0;
}

// The quick run: whole characters from the cursor up to `halfEnd` (the group mark or the
// row's end) that lie wholly inside the half, each as its glyph and n/2 fillers; eight
// printable ASCII bytes filling a half are copied at once. Stops at the first character
// the per-character steps must take (control bytes, the characters the mark or the row's
// end cuts) with cur.i on the next free column.
void putWholeChars(DumpBlock& block, Utf8Cursor& cur, int32_t halfEnd) {
    char* out = block.text + block.outLen;
    const uint8_t* p = cur.pb;
    const uint8_t* const end = cur.pb + (cur.size - cur.cnt);
    int32_t column = cur.i;
    if (column + 8 == halfEnd && end - p >= 8 && printableAscii8(p)) {
        std::memcpy(out, p, 8);
        out += 8;
        p += 8;
        column += 8;
    }
    while (column < halfEnd && p < end) {
        const int32_t n = kQuickLeads.bytes[*p];
        if (n == 0 || column + n > halfEnd || n > end - p) break;
        std::memcpy(out, p, 4);  // the glyph; stores past it are overwritten or slack
        out += n;
        std::memcpy(out, "..", 2);
        out += n >> 1;
        p += n;
        column += n;
    }
    block.outLen = static_cast<int32_t>(out - block.text);
    cur.cnt += static_cast<int32_t>(p - cur.pb);
    cur.pb = p;
    cur.i = column;
}

// The group mark between columns 7 and 8, once a row.
void putGroupMark(DumpBlock& block, Utf8Cursor& cur) {
    block.text[block.outLen++] = '|';
    cur.marked = true;
}

}  // namespace

bool appendRow(DumpBlock& block, Utf8Cursor& cur, const uint8_t* data) {
    if (block.capacity - block.outLen < kMaxRowBytes + kRowSlack) return false;
    char* out = putHexArea(block.text + block.outLen, data, cur.cnt, cur.size);
    *out++ = '|';
    block.outLen = static_cast<int32_t>(out - block.text);
    cur.marked = false;
    cur.i = 0;
    while (cur.i < 16) {
        if (cur.cnt >= cur.size) {
            if (cur.i == 8 && !cur.marked) putGroupMark(block, cur);
            block.text[block.outLen++] = ' ';
            ++cur.i;
            continue;
        }
        if (cur.splitState == 0) {
            const int32_t halfEnd = cur.i < 8 ? 8 : 16;
            putWholeChars(block, cur, halfEnd);
            if (cur.i == 8 && !cur.marked && cur.cnt < cur.size) putGroupMark(block, cur);
            if (cur.i == halfEnd || cur.cnt >= cur.size) continue;
        }
        // The per-character steps leave cur.i on the last column they took.
        if (cur.splitState != 0) {
            utf8_finishSplit(block, cur);
        } else {
            cur.byteCnt = utf8LeadByteCount(*cur.pb);
            utf8chsrsSet(block, cur);
        }
        // A character ending in column 7 without holding the mark: the mark follows it.
        if (cur.i == 7 && !cur.marked && cur.cnt < cur.size) putGroupMark(block, cur);
        ++cur.i;
    }
    out = block.text + block.outLen;
    *out++ = '|';
    block.outLen = static_cast<int32_t>(putRowTrailer(out, cur.cnt) - block.text);
    return true;
}

namespace {

}  // namespace

void dumpUtf8(const WCHAR* data, const WCHAR* prefix) {
    if (!writerReady()) return;
    int units = 0;
    if (!checkText(msg::kDumpUtf8Data, data, kMaxDataBytes, &units)) return;
    if (!checkText(msg::kDumpUtf8Prefix, prefix, kMaxPrefixBytes)) return;
    const bool timed = gLogCtx->stampMode == 1;
    if (timed) gElapsedStart = clockTicks();
    const int32_t converted = utf16ToUtf8N(data, units, gOutBufA, kOutBufBytes);
    // Longer than the buffer: nothing is dumped; the refusal shows the whole length.
    logDump_UTF8(converted >= 0 ? converted : utf8LengthOf(data), prefix);
    // The buffer was all zero before the conversion: clearing what it wrote restores that.
    std::memset(gOutBufA, 0, converted >= 0 ? static_cast<size_t>(converted) + 1 : kOutBufBytes);
    if (timed) logSyslog(kInfo, msg::kDumpUtf8Time, elapsedSeconds());
}

void logDump_UTF8(int32_t size, const WCHAR* prefix) {
    if (size > kDumpUtf8MaxSize) {
        logSyslog(kError, msg::kDumpUtf8SizeOver, 35, size);
        return;
    }
    if (size < 0) size = 0;
    DumpBlock block{};
    block.capacity = blockCapacity(size);
    // Not zeroed: only the bytes appended are ever read or written out.
    block.text = static_cast<char*>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(block.capacity)));
    if (!block.text) {
        logSyslog(kError, msg::kDumpUtf8NoMemory, size);
        return;
    }
    if (appendHeader(block, prefix, size)) {
        const auto* data = reinterpret_cast<const uint8_t*>(gOutBufA);
        Utf8Cursor cur{};
        cur.pb = data;
        cur.size = size;
        bool whole = true;
        const bool quick = quickRowsAvailable();
        while (whole && cur.cnt < size)
            whole = (quick && appendQuickRows(block, cur, data)) || appendRow(block, cur, data);
        if (whole && appendText(block, kSeparator)) {
            DWORD written = 0;
            WriteFile(gLogCtx->hFile, block.text, static_cast<DWORD>(block.outLen), &written,
                      nullptr);
        }
    }
    GlobalFree(block.text);
}

}  // namespace quillpen
