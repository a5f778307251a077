// System texts of Win32 error codes.
#pragma once

#include <cstdint>

#include "platform/seams.h"

namespace quillpen {

// A system text less its last two units (the CR LF that system texts end with) when it has
// at least two, then cut to `dstUnits` - 1 units. A null text gives "". Returns the length.
//   u"Access is denied.\r\n" => u"Access is denied."     u"x" => u"x"
int cutSystemText(const WCHAR* text, WCHAR* dst, int dstUnits);
// The system's text for `code` as cutSystemText leaves it; "" when the system has none.
int systemErrorText(DWORD code, WCHAR* dst, int dstUnits);

// "<file_fnc> line=<line> Win32 ErrCode=<code> :<text>" for the thread's last-error code,
// into `dst` (room for `dstUnits` units). A label over 510 units is refused by bufSizCheck
// and leaves `dst` untouched.
void w32_err_fmtMsg(const WCHAR* file_fnc, int32_t line, WCHAR* dst, int dstUnits);

}  // namespace quillpen
