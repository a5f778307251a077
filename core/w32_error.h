// w32_err_log's line: the thread's last-error code with its system text.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// Logs `code` as one time-stamped line under the host's label `file_fnc` and `line`,
// whatever logLevel is.
void logLastError(DWORD code, const WCHAR* file_fnc, int32_t line);

}  // namespace quillpen
