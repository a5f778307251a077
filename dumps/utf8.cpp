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
#include "core/format.h"
#include "core/line_writer.h"
#include "core/session_lock.h"
#include "core/state.h"
#include "core/utf.h"

namespace quillpen {
namespace {

constexpr int32_t kMaxDataBytes = 8190;     // the data argument, UTF-16 bytes
constexpr int32_t kMaxPrefixBytes = 510;    // the prefix argument, UTF-16 bytes
constexpr int32_t kPrefixAreaBytes = 1040;  // UTF-8 of a 255-unit prefix and its NUL
constexpr int32_t kMaxRowBytes = 93;        // 49 hex, 2 marks, 26 of characters, 16 trailer

constexpr char kSeparator[] =
    "-----------------------------------------------------------------------------------\r\n";
constexpr char kRuler[] =
    "00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex\r\n";
constexpr char kHeaderFormat[] = "addr={%p} prefix={%s} charSet={%s} size(BYTE)=%ld\r\n";
// The header line without its prefix, with the widest address, name and size.
constexpr int32_t kHeaderFixedBytes = 128;

constexpr int32_t kSeparatorBytes = sizeof kSeparator - 1;
constexpr int32_t kRulerBytes = sizeof kRuler - 1;
static_assert(kSeparatorBytes == 85 && kRulerBytes == 80, "line widths of the table");

// Room for the whole table of `size` data bytes, its NUL included.
int32_t blockCapacity(int32_t size) {
    const int32_t rows = (size + 15) / 16;
    return 3 * kSeparatorBytes + kRulerBytes + kPrefixAreaBytes + kHeaderFixedBytes +
           rows * kMaxRowBytes + 1;
}

bool appendHeader(DumpBlock& block, const WCHAR* prefix, int32_t size) {
    char prefixA[kPrefixAreaBytes] = {};
    utf16ToUtf8(prefix, prefixA, kPrefixAreaBytes);  // a checked prefix always fits
    const char* charSet = gLogCtx->bom != 0 ? "UTF8N(BomSet)" : "UTF8(NoBom)";
    if (!appendText(block, kSeparator)) return false;
    const int n =
        formatNarrow(block.text + block.outLen, block.capacity - block.outLen, kHeaderFormat,
                     static_cast<const void*>(block.text), prefixA, charSet, size);
    if (n < 0) return false;
    block.outLen += n;
    return appendText(block, kRuler) && appendText(block, kSeparator);
}

void appendHexArea(DumpBlock& block, const uint8_t* data, int32_t start, int32_t size) {
    for (int32_t k = 0; k < 16; ++k) {
        if (k == 8) appendText(block, "|");
        char cell[8];
        if (start + k < size) {
            formatNarrow(cell, sizeof cell, "%02x ", static_cast<int32_t>(data[start + k]));
        } else {
            std::strcpy(cell, "   ");
        }
        appendText(block, cell);
    }
}

// One row: sixteen columns from the cursor, which then stands at the next row's first byte.
void appendRow(DumpBlock& block, Utf8Cursor& cur, const uint8_t* data) {
    appendHexArea(block, data, cur.cnt, cur.size);
    appendText(block, "|");
    cur.marked = false;
    for (cur.i = 0; cur.i < 16; ++cur.i) {
        if (cur.cnt >= cur.size) {
            if (cur.i == 8 && !cur.marked) {
                appendText(block, "|");
                cur.marked = true;
            }
            appendText(block, " ");
            continue;
        }
        if (cur.splitState != 0) {
            utf8_finishSplit(block, cur);
        } else {
            cur.byteCnt = utf8LeadByteCount(*cur.pb);
            utf8chsrsSet(block, cur);
        }
        // A character ending in column 7 without holding the mark: the mark follows it.
        if (cur.i == 7 && !cur.marked && cur.cnt < cur.size) {
            appendText(block, "|");
            cur.marked = true;
        }
    }
    appendText(block, "|");
    char trailer[32];
    formatNarrow(trailer, sizeof trailer, " %06d 0x%04x\r\n", cur.cnt, cur.cnt);
    appendText(block, trailer);
}

void dumpUtf8(const WCHAR* data, const WCHAR* prefix) {
    if (!writerReady()) return;
    if (!checkText(msg::kDumpUtf8Data, data, kMaxDataBytes)) return;
    if (!checkText(msg::kDumpUtf8Prefix, prefix, kMaxPrefixBytes)) return;
    const bool timed = gLogCtx->stampMode == 1;
    if (timed) gElapsedStart = clockTicks();
    int32_t size = utf16ToUtf8(data, gOutBufA, kOutBufBytes);
    // Longer than the buffer: nothing is dumped; the refusal shows the whole length.
    if (size < 0) size = utf8LengthOf(data);
    logDump_UTF8(size, prefix);
    std::memset(gOutBufA, 0, kOutBufBytes);
    if (timed) logSyslog(kInfo, msg::kDumpUtf8Time, elapsedSeconds());
}

}  // namespace

int32_t utf8LengthOf(const WCHAR* text) {
    int64_t bytes = 0;
    for (size_t i = 0; text && text[i] && bytes <= INT32_MAX; ++i) {
        const uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t next = static_cast<uint16_t>(text[i + 1]);
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                bytes += 4;
                ++i;
            }
            continue;  // a lone surrogate is dropped
        }
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    }
    return bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
}

bool appendBytes(DumpBlock& block, const char* bytes, int32_t n) {
    if (n < 0 || n >= block.capacity - block.outLen) return false;  // keeps the NUL's byte
    std::memcpy(block.text + block.outLen, bytes, static_cast<size_t>(n));
    block.outLen += n;
    return true;
}

bool appendText(DumpBlock& block, const char* text) {
    return appendBytes(block, text, static_cast<int32_t>(std::strlen(text)));
}

void logDump_UTF8(int32_t size, const WCHAR* prefix) {
    if (size > kDumpUtf8MaxSize) {
        logSyslog(kError, msg::kDumpUtf8SizeOver, 35, size);
        return;
    }
    if (size < 0) size = 0;
    DumpBlock block{};
    block.capacity = blockCapacity(size);
    block.text = static_cast<char*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(block.capacity)));
    if (!block.text) {
        logSyslog(kError, msg::kDumpUtf8NoMemory, size);
        return;
    }
    if (appendHeader(block, prefix, size)) {
        const auto* data = reinterpret_cast<const uint8_t*>(gOutBufA);
        Utf8Cursor cur{};
        cur.pb = data;
        cur.size = size;
        while (cur.cnt < size) appendRow(block, cur, data);
        appendText(block, kSeparator);
        DWORD written = 0;
        WriteFile(gLogCtx->hFile, block.text, static_cast<DWORD>(block.outLen), &written, nullptr);
    }
    GlobalFree(block.text);
}

}  // namespace quillpen

extern "C" void logDumpUTF8(const qp_wchar* data, intptr_t /*n: never read*/,
                            const qp_wchar* prefix) {
    quillpen::SessionLock lock;
    quillpen::dumpUtf8(data, prefix);
}
