// A line's text is measured in UTF-16 units as it is composed, so its limits are those of
// the wide buffers (4223 units and the NUL), while its bytes go straight into gOutBufA
// (gSysOutA for a [SYSLOG] line). A time-stamped line is composed message first, so that
// its stamp is read once the message is formatted; the stamp then goes in front of it:
//   gOutBufA: |      room for the stamp      |count=5]\r\n     (the message, "]", terminator)
//             |        2026-12-05 09:03:04:[|               (the stamp, ending where it starts)
#include "core/line_writer.h"

#include <algorithm>
#include <cstring>

#include "core/clock.h"
#include "core/format.h"
#include "core/log_file.h"
#include "core/messages.h"
#include "core/session.h"
#include "core/stamp.h"
#include "text/utf8_sink.h"

namespace quillpen {
namespace {
const WCHAR* const kBanners[] = {
    QP_TEXT("[SYSLOG][■--FATAL--■] "), QP_TEXT("[SYSLOG][■--CRETICAL--■] "),
    QP_TEXT("[SYSLOG][■--ERROR--■] "), QP_TEXT("[SYSLOG][□--WARNING--□] "),
    QP_TEXT("[SYSLOG][□--INFO--□] "),  QP_TEXT("[SYSLOG][▲--DEBUG--▲] "),
};

constexpr int kMaxLineUnits = kWideBufUnits - 1;
constexpr int kStampRoom = kMaxStampBytes;
static_assert(kOutBufBytes - kStampRoom >= kMaxFormatBytes && kSysOutBytes >= kMaxFormatBytes,
              "every line that may be written fits its buffer");

void refuseMessage(const WCHAR* label) {
    logSyslog(kCritical, msg::kMessageTooLong, label, kMaxLineUnits);
}

// Writes a composed line with one WriteFile; a line over 8190 bytes is refused with a
// CRETICAL [SYSLOG] line instead. Callers have checked that a writer is ready.
void logWrite(const char* bytes, int length) {
    if (length > kMaxFormatBytes)
        logSyslog(kCritical, msg::kLineTooLong, msg::kLineTooLongLine);
    else
        logFileWrite(bytes, length);
}
}  // namespace

void vlogLine(const WCHAR* label, const WCHAR* format, va_list args) {
    if (!writerReady() || !checkText(label, format, kMaxFormatBytes)) return;
    const int32_t stampMode = gLogCtx->stampMode;
    DWORD threadId = 0;
    if (stampMode == 1) {  // the stamp shows how long the formatting takes
        threadId = GetCurrentThreadId();
        gElapsedStart = clockTicks();
    }
    char* const message = gOutBufA + kStampRoom;
    char* start = message;  // where the line begins once its stamp is in front
    Utf8Sink line(message, kOutBufBytes - kStampRoom, kMaxLineUnits);
    vformatUtf8(line, format, args);
    if (line.cut()) {
        refuseMessage(label);
    } else if (const LineStamp stamp = lineStamp(stampMode, threadId); stamp.text) {
        line.append(QP_TEXT("]"));
        line.append(gNewlineW);
        if (stamp.units + line.units() > kMaxLineUnits) {
            refuseMessage(label);
        } else {
            start = message - stamp.bytes;
            std::memcpy(start, stamp.text, static_cast<size_t>(stamp.bytes));
            // At most 4223 units of at most three bytes, or four for two: an int.
            logWrite(start, stamp.bytes + static_cast<int>(line.bytes()));
        }
    }
    // The scratch buffer stays zero-filled: only what was written is cleared.
    std::memset(start, 0, static_cast<size_t>(message + line.stored() - start));
}

void logLine(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    vlogLine(msg::kLogFormat, format, args);
    va_end(args);
}

void logSyslog(int32_t code, const WCHAR* format, ...) {
    if (!gLogCtx || !gSysOutA) return;
    if (gLogCtx->logLevel < 0 || gLogCtx->logSleep != 0 || !logFileIsOpen()) return;
    if (!checkText(msg::kSyslogFormat, format, kMaxFormatBytes)) return;
    if (code < kFatal || code > kDebug) return;  // no banner: an empty line, not written
    Utf8Sink line(gSysOutA, kSysOutBytes, kMaxLineUnits);
    line.append(kBanners[code]);
    va_list args;
    va_start(args, format);
    vformatUtf8(line, format, args);
    va_end(args);
    line.append(gNewlineW);
    if (line.cut() || line.units() > kMaxLineUnits) {
        // Refused as an overlong line; the refusal itself is short.
        logSyslog(kCritical, msg::kLineTooLong, msg::kLineTooLongLine);
    } else {
        logWrite(gSysOutA, static_cast<int>(line.bytes()));  // at most 4223 units
    }
    std::memset(gSysOutA, 0, static_cast<size_t>(line.stored()));
}

}  // namespace quillpen
