// Line stamps by stamp mode: the text before a line's message, "[" included. For example
// mode 8192 at 09:03:04 on 5 December 2026 => "2026-12-05 09:03:04:[". The %ld field of
// modes 3, 5, 7, 9, 16384 and 32768 always shows 0, and mode 32768 has no colon before
// the "[". Modes not listed write no line.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace quillpen {

// Room for any stamp: the longest layout's six fields of up to 11 bytes, and mode 1's
// "tid=", ten digits, ":", up to 20 characters of seconds and "[秒][".
constexpr int kMaxStampBytes = 96;

struct LineStamp {
    const char* text;  // UTF-8, no NUL
    int bytes;
    int units;  // UTF-16 units: the line limits count them
};

// The stamp of a line of `stampMode`, read from the clock now; no text for a mode that
// writes no line. Mode 1 shows `threadId` and the seconds since gElapsedStart.
LineStamp lineStamp(int32_t stampMode, DWORD threadId);

}  // namespace quillpen
