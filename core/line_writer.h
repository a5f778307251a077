// Time-stamped lines and the library's own [SYSLOG] lines, each composed in one pass
// straight into UTF-8 and written with one WriteFile.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// [SYSLOG] level codes.
enum SyslogCode : int32_t {
    kFatal = 0,
    kCritical = 1,
    kError = 2,
    kWarning = 3,
    kInfo = 4,
    kDebug = 5,
};

// A time-stamped line of `format` and its arguments, as _log writes it: the session's
// stamp, "[", the message, "]", the terminator. `label` names the format in a refusal.
// Written only while a writer is ready; a line over 4223 UTF-16 units or 8190 bytes is
// refused with a CRETICAL [SYSLOG] line.
void vlogLine(const WCHAR* label, const WCHAR* format, va_list args);
// The same under the _log label, for the library's own lines.
void logLine(const WCHAR* format, ...);

// A [SYSLOG] line: the banner of `code`, a blank, the message, the terminator. Written only
// while logLevel >= 0, LOG_SLEEP is off and the file is open; callable at any time.
void logSyslog(int32_t code, const WCHAR* format, ...);

}  // namespace quillpen
