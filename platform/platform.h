// The Win32 and runtime subset the library calls. On Windows it is the system's own;
// elsewhere platform/posix provides the same names, signatures, constants and codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "posix/win32.h"
#endif

// The wall clock in 100-nanosecond ticks since 1970-01-01 00:00 UTC (not monotonic).
extern "C" long long _Xtime_get_ticks();

namespace quillpen {
// Separator between the log directory and the file name.
#if defined(_WIN32)
constexpr WCHAR kPathSeparator = L'\\';
#else
constexpr WCHAR kPathSeparator = u'/';
#endif
}  // namespace quillpen
