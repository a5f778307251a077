#include "core/line_writer.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/clock.h"
#include "core/format.h"
#include "core/hot.h"
#include "core/messages.h"
#include "core/session_lock.h"
#include "core/state.h"
#include "text/utf.h"

namespace quillpen {
namespace {
const WCHAR* const kBanners[] = {
    QP_TEXT("[SYSLOG][■--FATAL--■] %s%s"), QP_TEXT("[SYSLOG][■--CRETICAL--■] %s%s"),
    QP_TEXT("[SYSLOG][■--ERROR--■] %s%s"), QP_TEXT("[SYSLOG][□--WARNING--□] %s%s"),
    QP_TEXT("[SYSLOG][□--INFO--□] %s%s"),  QP_TEXT("[SYSLOG][▲--DEBUG--▲] %s%s"),
};

// Composition area of [SYSLOG] lines: fixed storage, so a system line allocates nothing and
// can be written while another line is half composed in the shared buffers.
WCHAR gSysLineW[kWideBufUnits];

// Scratch buffers are left zero-filled; only the part a call used needs clearing. It is
// cleared in whole blocks of 64 bytes, stores the compiler makes inline, rather than with a
// call: past the used part the buffer is zero already, and every buffer is whole blocks.
constexpr size_t kClearBlock = 64;
static_assert(kWideBufUnits * sizeof(WCHAR) % kClearBlock == 0 && kOutBufBytes % kClearBlock == 0 &&
                  kSysOutBytes % kClearBlock == 0,
              "scratch buffers are whole clearing blocks");

void clearBlocks(void* buf, size_t bytes) {
    auto* p = static_cast<unsigned char*>(buf);
    for (size_t at = 0; at < bytes; at += kClearBlock) std::memset(p + at, 0, kClearBlock);
}

void clearWide(WCHAR* buf, int used) {
    const size_t units = used < 0 || used >= kWideBufUnits ? kWideBufUnits : used + 1;
    clearBlocks(buf, units * sizeof(WCHAR));
}

void clearBytes(char* buf, int used, int size) {
    clearBlocks(buf, static_cast<size_t>(used < 0 || used >= size ? size : used + 1));
}

PendingLine nothingToWrite() { return {false, 0, 0}; }

// A line of plain conversions, nearly every line, composed straight into gOutBufA as
// UTF-8 in one pass: the same bytes as the three passes below (message, line, conversion)
// give. Not ready, with gOutBufA as it was, for a line left to those: a stamp mode without
// a fixed layout, another conversion, a surrogate, or a line of more than kDirectLineBytes.
// Such a line has no more units than bytes, so it is within every limit of the three
// passes (4223 units of message and of line, 8190 bytes): they alone refuse lines.
QP_HOT PendingLine composeDirectLine(int32_t stampMode, const WCHAR* format, va_list args) {
    int stampBytes = 0;
    const char* stamp = lineStamp(stampMode, stampBytes);
    if (!stamp) return nothingToWrite();
    constexpr int kDirectLineBytes = kWideBufUnits - 1;
    constexpr int kTailBytes = 1 + 8;  // "]" and the terminator (at most 7 units, ASCII)
    static_assert(kDirectLineBytes < kOutBufBytes && kDirectLineBytes <= kMaxFormatBytes,
                  "a direct line fits gOutBufA and the write limit");
    char* const line = gOutBufA;
    std::memcpy(line, stamp, static_cast<size_t>(stampBytes));
    line[stampBytes] = '[';
    const int head = stampBytes + 1;
    int touched = 0;
    const int message =
        formatPlainUtf8(line + head, kDirectLineBytes - head - kTailBytes, format, args, touched);
    if (message < 0) {
        clearBytes(line, head + touched, kOutBufBytes);
        return nothingToWrite();
    }
    int length = head + message;
    line[length++] = ']';
    for (const WCHAR* nl = gNewlineW; *nl; ++nl) line[length++] = static_cast<char>(*nl);
    return {true, length, std::max(length, head + touched)};
}
}  // namespace

QP_HOT PendingLine composeStampedLine(const WCHAR* label, const WCHAR* format, va_list args) {
    if (!writerReady()) return nothingToWrite();
    if (!checkText(label, format, kMaxFormatBytes)) return nothingToWrite();
    const int32_t stampMode = gLogCtx->stampMode;
    const PendingLine direct = composeDirectLine(stampMode, format, args);
    if (direct.ready) return direct;
    DWORD threadId = 0;
    if (stampMode == 1) {
        threadId = GetCurrentThreadId();
        gElapsedStart = clockTicks();
    }
    const int messageLength = vformatWide(gMsgBufW, kWideBufUnits, format, args);
    const int lineLength = messageLength < 0 ? -1 : logFormatLine(stampMode, threadId);
    PendingLine pending = nothingToWrite();
    if (lineLength < 0) {
        logSyslog(kCretical, msg::kMessageTooLong, label, kWideBufUnits - 1);
    } else if (lineLength > 0) {
        const int bytes = utf16ToUtf8N(gLineBufW, lineLength, gOutBufA, kOutBufBytes);
        pending = {true, bytes, bytes};  // a line that did not fit is refused by its write
    }
    clearWide(gMsgBufW, messageLength);
    clearWide(gLineBufW, lineLength);
    return pending;
}

void clearPendingLine(const PendingLine& line) { clearBytes(gOutBufA, line.used, kOutBufBytes); }

void logLine(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    const PendingLine line = composeStampedLine(msg::kLogFormat, format, args);
    va_end(args);
    writePendingLine(line);
}

void refuseLine() { logSyslog(kCretical, msg::kLineTooLong, 879); }

void vlogSyslog(int32_t code, const WCHAR* format, va_list args) {
    if (!gLogCtx || !gSysMsgW || !gSysOutA) return;
    if (gLogCtx->logLevel < 0 || gLogCtx->logSleep != 0 || !fileOpen()) return;
    if (!checkText(msg::kSyslogFormat, format, kMaxFormatBytes)) return;
    if (code < kFatal || code > kDebug) return;  // no banner: an empty line, not written
    const int messageLength = vformatWide(gSysMsgW, kWideBufUnits, format, args);
    int lineLength = -1;
    if (messageLength >= 0)
        lineLength = formatWide(gSysLineW, kWideBufUnits, kBanners[code], gSysMsgW, gNewlineW);
    int bytes = -1;
    if (lineLength >= 0) bytes = utf16ToUtf8N(gSysLineW, lineLength, gSysOutA, kSysOutBytes);
    clearWide(gSysMsgW, messageLength);
    clearWide(gSysLineW, lineLength);
    logWrite(gSysOutA, bytes);  // an overlong system line is refused like any other
    clearBytes(gSysOutA, bytes, kSysOutBytes);
}

void logSyslog(int32_t code, const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    vlogSyslog(code, format, args);
    va_end(args);
}

}  // namespace quillpen

extern "C" QP_HOT void _log(const qp_wchar* format, ...) {
    // No session, no open file or LOG_SLEEP on: nothing to do, not even wait for the lock.
    if (!quillpen::writerAdmits(INT32_MIN)) return;
    quillpen::SessionLock lock;
    va_list args;
    va_start(args, format);
    const quillpen::PendingLine line =
        quillpen::composeStampedLine(quillpen::msg::kLogFormat, format, args);
    va_end(args);
    quillpen::writePendingLine(line);
}
