// profileTimeStart and profileTimeStop: the process-wide stopwatch.
#pragma once

#include "platform/platform.h"

namespace quillpen {

// Stores the label (at most 127 units kept) and the clock.
void startTimer(const WCHAR* prefix);
// Writes an INFO [SYSLOG] line with the seconds since the last start.
void stopTimer();

}  // namespace quillpen
