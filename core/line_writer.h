// Time-stamped lines and the library's own [SYSLOG] lines.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "platform/seams.h"

namespace quillpen {

// [SYSLOG] level codes.
enum SyslogCode : int32_t {
    kFatal = 0,
    kCretical = 1,
    kError = 2,
    kWarning = 3,
    kInfo = 4,
    kDebug = 5,
};

// One time-stamped line from `format` and its arguments, as _log writes it; `label` names
// the format argument in a refusal. Writes nothing without a ready writer.
void writeStampedLine(const WCHAR* label, const WCHAR* format, va_list args);
// writeStampedLine under the _log label, for the library's own lines.
void logLine(const WCHAR* format, ...);

// Puts the session's stamp before the message in gMsgBufW and the terminator after it,
// into gLineBufW. Returns the line's length in units, 0 when the stamp mode writes no
// line, -1 when the line does not fit the buffer.
int logFormatLine(int32_t stampMode, DWORD threadId);

// The session's stamp for a line of `stampMode` as bytes (ASCII), or nullptr for a mode
// whose stamp is not a fixed layout (1) or that writes no line.
const char* lineStamp(int32_t stampMode, int& bytes);

// Writes `length` bytes of UTF-8 (a line) with one WriteFile; a line over 8190 bytes, or
// one that did not fit its buffer (length < 0), is refused with a CRETICAL [SYSLOG] line.
// Callers have checked that a writer is ready. True when WriteFile wrote it.
bool logWrite(const char* bytes, int length);

// A [SYSLOG] line: the banner of `code`, a blank, the message, the terminator. Written only
// while logLevel >= 0, LOG_SLEEP is off and the file is open; callable at any time.
void logSyslog(int32_t code, const WCHAR* format, ...);
void vlogSyslog(int32_t code, const WCHAR* format, va_list args);

}  // namespace quillpen
