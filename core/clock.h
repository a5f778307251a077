// The clocks behind the line stamps, the processing times and the stopwatch.
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/seams.h"

namespace quillpen {

// Tick mark (100 ns units) from which elapsedSeconds measures; set by writers in stamp mode 1.
extern int64_t gElapsedStart;

// The wall clock in 100 ns ticks since 1970.
int64_t clockTicks();
// A tick difference in seconds, truncated toward zero to whole milliseconds:
// 12345678 ticks => 1.234, -12345678 => -1.234.
double ticksToSeconds(int64_t ticks);
// Seconds since gElapsedStart, in whole milliseconds.
double elapsedSeconds();
// The local calendar time now. The breakdown is computed once per second and reused within
// that second, so a line does not pay for a full local-time conversion.
void localNow(struct tm* out);
// The same for a given second of the clock.
void localTimeAt(__time64_t second, struct tm* out);

}  // namespace quillpen
