// The tick clock, which the Windows C runtime of this toolchain does not provide.
#include "platform/platform.h"

extern "C" long long _Xtime_get_ticks() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    constexpr long long kTicksFrom1601To1970 = 116444736000000000LL;
    return static_cast<long long>(ticks.QuadPart) - kTicksFrom1601To1970;
}
