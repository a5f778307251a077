// logPut and logPutHex: a host's text as its UTF-8 bytes in raw or hex lines, framed by
// start and end lines (or bare terminators), every piece written the moment it is ready.
//
// logPut, newLineCnt 10, "a".."z", cnt 26, with markers (terminator CR LF):
//   CR LF "---------- logPut-start len=26" CR LF "abcdefghij" CR LF "klmnopqrst" CR LF
//   "uvwxyz" CR LF "---------- logPut-end!!" CR LF
// logPutHex shows "%02x " per byte and breaks after exactly newLineCnt bytes; logPut breaks
// after the character that brings a line to newLineCnt bytes, never inside one.
#include "dumps/text_dump.h"

#include <cstring>

#include "core/format.h"
#include "core/line_writer.h"
#include "core/log_file.h"
#include "core/session.h"
#include "dumps/utf8.h"
#include "text/utf.h"

namespace quillpen {

namespace msg {
inline constexpr auto kLogPutCnt = QP_TEXT("logPut() cnt");
inline constexpr auto kLogPutData = QP_TEXT("logPut() data");
inline constexpr auto kLogPutWidth =
    QP_TEXT("logPut() newLineCnt は 10-80の間で有効です newLineCnt=%d");
inline constexpr auto kLogPutHexCnt = QP_TEXT("logPutHex() cnt");
inline constexpr auto kLogPutHexData = QP_TEXT("logPutHex() data");
inline constexpr auto kLogPutHexWidth =
    QP_TEXT("logPutHex() newLineCnt は 10-80の間で有効です newLineCnt=%d");
// A text whose UTF-8 form does not fit gOutBufA: refused whole, nothing of the block written.
inline constexpr auto kLogPutTooLong = QP_TEXT(
    "func={%s} UTF-8変換後のサイズが上限を超えました、出力できません max=%d  utf8 "
    "size=%d");
}  // namespace msg

namespace {

constexpr int32_t kMaxCnt = 8190;
constexpr int32_t kMinWidth = 10;
constexpr int32_t kMaxWidth = 80;
constexpr int kFrameBytes = 260;

struct DumpKind {
    const WCHAR* cntLabel;
    const WCHAR* dataLabel;
    const WCHAR* widthMessage;
    const char* startFormat;  // the terminator, the start line with cnt, the terminator
    const char* endFormat;    // the terminator, the end line, the terminator
    bool hex;
};

const DumpKind kPut = {msg::kLogPutCnt,
                       msg::kLogPutData,
                       msg::kLogPutWidth,
                       "%s---------- logPut-start len=%d%s",
                       "%s---------- logPut-end!!%s",
                       false};
const DumpKind kPutHex = {msg::kLogPutHexCnt,
                          msg::kLogPutHexData,
                          msg::kLogPutHexWidth,
                          "%s---------- logPutHex-start len=%d%s",
                          "%s---------- logPutHex-end%s",
                          true};

// One piece, one WriteFile; its result is not examined, as for every line of the log.
void writePiece(const char* bytes, size_t n) { logFileWrite(bytes, static_cast<int>(n)); }

void writeNewline() { writePiece(gNewlineA, std::strlen(gNewlineA)); }

// Start of the frame: the start line between two terminators, or one terminator.
void writeStart(const DumpKind& kind, bool withMarkers, int32_t cnt) {
    if (!withMarkers) return writeNewline();
    char line[kFrameBytes];  // gNewlineA holds at most 15 bytes: the line always fits
    const int n = formatNarrow(line, kFrameBytes, kind.startFormat, gNewlineA, cnt, gNewlineA);
    if (n > 0) writePiece(line, static_cast<size_t>(n));
}

void writeEnd(const DumpKind& kind, bool withMarkers) {
    if (!withMarkers) return writeNewline();
    char line[kFrameBytes];
    const int n = formatNarrow(line, kFrameBytes, kind.endFormat, gNewlineA, gNewlineA);
    if (n > 0) writePiece(line, static_cast<size_t>(n));
}

// Raw lines: whole characters, a break once a line holds newLineCnt bytes or more.
void writeCharacters(const uint8_t* text, int32_t length, int32_t newLineCnt) {
    int32_t column = 0;
    for (int32_t i = 0; i < length; ++i) {
        int32_t n = utf8LeadByteCount(text[i]);
        if (n == 0) n = 1;  // starts no character: never produced by the conversion
        if (n > length - i) n = length - i;
        writePiece(reinterpret_cast<const char*>(text + i), static_cast<size_t>(n));
        i += n - 1;
        column += n;
        if (column >= newLineCnt) {
            writeNewline();
            column = 0;
        }
    }
}

// Hex lines: exactly newLineCnt bytes each, characters split freely.
void writeHexBytes(const uint8_t* text, int32_t length, int32_t newLineCnt) {
    int32_t column = 0;
    for (int32_t i = 0; i < length; ++i) {
        char cell[16];
        const int n = formatNarrow(cell, sizeof cell, "%02x ", static_cast<int32_t>(text[i]));
        if (n > 0) writePiece(cell, static_cast<size_t>(n));
        if (column == newLineCnt - 1) {
            writeNewline();
            column = 0;
        } else {
            ++column;
        }
    }
}

}  // namespace

void dumpText(bool hex, const WCHAR* data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt) {
    const DumpKind& kind = hex ? kPutHex : kPut;
    if (!writerReady()) return;
    if (!bufSizCheck(kind.cntLabel, kMaxCnt, cnt)) return;
    if (newLineCnt < kMinWidth || newLineCnt > kMaxWidth) {
        logSyslog(kError, kind.widthMessage, newLineCnt);
        return;
    }
    if (!data) {
        checkText(kind.dataLabel, data, 0);  // reports the null text
        return;
    }
    // Converted before the frame starts, so a text too long for the buffer writes nothing.
    const int length = utf16ToUtf8(data, gOutBufA, kOutBufBytes);
    if (length < 0) {
        logSyslog(kError, msg::kLogPutTooLong, kind.dataLabel, kOutBufBytes - 1,
                  utf8LengthOf(data));
        std::memset(gOutBufA, 0, kOutBufBytes);
        return;
    }
    writeStart(kind, withMarkers != 0, cnt);
    const auto* text = reinterpret_cast<const uint8_t*>(gOutBufA);
    if (kind.hex) {
        writeHexBytes(text, length, newLineCnt);
    } else {
        writeCharacters(text, length, newLineCnt);
    }
    writeEnd(kind, withMarkers != 0);
    std::memset(gOutBufA, 0, kOutBufBytes);
}

}  // namespace quillpen
