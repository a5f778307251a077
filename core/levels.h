// The five level entry points' line.
#pragma once

#include <cstdarg>

#include "core/line_writer.h"

namespace quillpen {

// A time-stamped line as vlogLine writes it, when the session's logLevel admits `level`
// (kCritical to kDebug); refusals name the level function's format.
void vlogLevel(SyslogCode level, const WCHAR* format, va_list args);

}  // namespace quillpen
