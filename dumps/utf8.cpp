// logDumpUTF8 and its worker: the argument guards, then the table composed whole in a block
// sized from the data (a row takes at most 93 bytes) and written with one WriteFile. The
// rows are composed in utf8_row.cpp.
#include "dumps/utf8.h"

#include <cstring>

#include "core/clock.h"
#include "core/line_writer.h"
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

// Room for the whole table of `size` data bytes, its NUL included.
int32_t blockCapacity(int32_t size) {
    const int32_t rows = (size + 15) / 16;
    return 3 * kSeparatorBytes + kRulerBytes + kPrefixAreaBytes + kHeaderFixedBytes +
           rows * kMaxRowBytes + 1;
}

// Appends `n` bytes; false, appending nothing, when they do not fit.
bool appendBytes(DumpBlock& block, const char* bytes, int32_t n) {
    if (n < 0 || n >= block.capacity - block.outLen) return false;  // keeps the NUL's byte
    std::memcpy(block.text + block.outLen, bytes, static_cast<size_t>(n));
    block.outLen += n;
    return true;
}

bool appendText(DumpBlock& block, const char* text) {
    return appendBytes(block, text, static_cast<int32_t>(std::strlen(text)));
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
        logSyslog(kError, msg::kDumpUtf8SizeOver, msg::kDumpUtf8SizeOverLine, size);
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
    if (appendHeader(block, prefix, size) &&
        appendRows(block, reinterpret_cast<const uint8_t*>(gOutBufA), size) &&
        appendText(block, kSeparator))
        logFileWrite(block.text, block.outLen);
    GlobalFree(block.text);
}

}  // namespace quillpen
