#include "core/clock.h"

#include "core/session.h"
#include "platform/seams.h"

namespace quillpen {

int64_t clockTicks() { return _Xtime_get_ticks(); }

double ticksToSeconds(int64_t ticks) {
    int64_t millis = ticks / 10000;  // C++ division truncates toward zero
    return static_cast<double>(millis) / 1000.0;
}

double elapsedSeconds() { return ticksToSeconds(clockTicks() - gElapsedStart); }

void localNow(struct tm* out) { localTimeAt(_time64(nullptr), out); }

void localTimeAt(__time64_t now, struct tm* out) {
    if (_localtime64_s(out, &now) != 0) *out = tm{};
}

}  // namespace quillpen
