#include "core/clock.h"

#include <climits>

#include "core/hot.h"
#include "platform/seams.h"

namespace quillpen {

int64_t gElapsedStart = 0;

namespace {
__time64_t gCachedSecond = LLONG_MIN;
struct tm gCachedTm = {};
}  // namespace

int64_t clockTicks() { return _Xtime_get_ticks(); }

double ticksToSeconds(int64_t ticks) {
    int64_t millis = ticks / 10000;  // C++ division truncates toward zero
    return static_cast<double>(millis) / 1000.0;
}

double elapsedSeconds() { return ticksToSeconds(clockTicks() - gElapsedStart); }

QP_HOT void localNow(struct tm* out) { localTimeAt(_time64(nullptr), out); }

QP_HOT void localTimeAt(__time64_t now, struct tm* out) {
    if (now != gCachedSecond) {
        struct tm fresh = {};
        if (_localtime64_s(&fresh, &now) != 0) fresh = tm{};
        gCachedTm = fresh;
        gCachedSecond = now;
    }
    *out = gCachedTm;
}

}  // namespace quillpen
