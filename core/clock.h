// The clocks behind the line stamps, the processing times and the stopwatch.
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/seams.h"

namespace quillpen {

// The wall clock in 100 ns ticks since 1970.
int64_t clockTicks();
// A tick difference in seconds, truncated toward zero to whole milliseconds:
// 12345678 ticks => 1.234, -12345678 => -1.234.
double ticksToSeconds(int64_t ticks);
// Seconds since gElapsedStart, in whole milliseconds.
double elapsedSeconds();
// The local calendar time now (all zero if the system cannot tell it).
void localNow(struct tm* out);
// The same for a given second of the clock.
void localTimeAt(__time64_t second, struct tm* out);

}  // namespace quillpen
