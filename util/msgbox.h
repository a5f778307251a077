// msgBox and msgBoxOkCancel.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// Shows the host's box (OK, or OK and Cancel) once both texts pass their checks, without
// holding the session lock while it waits for the user. Returns the box's answer, or 0
// when a text was refused.
int32_t hostBox(bool okCancel, const WCHAR* text, const WCHAR* title);

}  // namespace quillpen
