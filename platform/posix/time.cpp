// Calendar time, the tick clock and the lock. Differs from Windows: _localtime64_s uses the
// process's TZ rules through localtime_r.
#include <cerrno>
#include <ctime>

#include "platform/platform.h"

extern "C" {

__time64_t _time64(__time64_t* now) {
    __time64_t t = static_cast<__time64_t>(time(nullptr));
    if (now) *now = t;
    return t;
}

errno_t _localtime64_s(struct tm* out, const __time64_t* t) {
    if (!out || !t) return EINVAL;
    time_t value = static_cast<time_t>(*t);
    if (!localtime_r(&value, out)) return EINVAL;
    return 0;
}

long long _Xtime_get_ticks() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 10000000LL + now.tv_nsec / 100;
}

void AcquireSRWLockExclusive(PSRWLOCK lock) { pthread_mutex_lock(&lock->mutex); }

void ReleaseSRWLockExclusive(PSRWLOCK lock) { pthread_mutex_unlock(&lock->mutex); }

}  // extern "C"
