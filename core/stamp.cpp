// Every mode but 1 is a row of zero-padded decimal fields and separators, put together
// here digit by digit, as "%04d", "%02d" and "%ld" of 0 would print them; the stamp depends
// only on the mode and the second, so it is kept for the lines of the same second. Mode 1
// (a double) goes through the printf engine.
#include "core/stamp.h"

#include <algorithm>

#include "core/clock.h"
#include "core/format.h"
#include "core/session.h"
#include "quillpen.h"
#include "text/utf8_sink.h"

namespace quillpen {
namespace {
// Stamp layouts: Y "%04d" year, y "%02d" year, M month, D day, h hour, m minute, s second
// (each "%02d"), 0 the "%ld" of 0; any other character stands as it is.
const char* layoutOf(int32_t stampMode) {
    switch (stampMode) {
        case 0:
            return "[";
        case 2:
            return "s:[";
        case 3:
            return "s:0:[";
        case 4:
            return "m:[";
        case 5:
            return "m:0:[";
        case 6:
            return "m:s:[";
        case 7:
            return "m:s:0:[";
        case 8:
            return "h:[";
        case 9:
            return "h:0:[";
        case 16:
            return "D:[";
        case 32:
            return "M:[";
        case 64:
            return "y:[";
        case 128:
            return "y:M:D:[";
        case 256:
        case 512:
        case 1024:
            return "YMD:[";
        case 2048:
            return "YMD-hms:[";
        case 4096:
            return "Y/M/D-h:m:s:[";
        case 8192:
            return "Y-M-D h:m:s:[";
        case 16384:
            return "YMD-hms:0:[";
        case 32768:
            return "Y/M/D-h:m:s:0[";
        default:
            return nullptr;
    }
}

// "%0<width>d" of `value`: the sign, then zeros up to `width` characters in all, then the
// digits (at least one). Returns the bytes written (at most 11).
int putField(char* dst, int value, int width) {
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : value;
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int len = 0;
    if (value < 0) dst[len++] = '-';
    for (int zeros = width - len - n; zeros > 0; --zeros) dst[len++] = '0';
    while (n) dst[len++] = digits[--n];
    return len;
}

// The stamp of `layout` at `now`; dst has room for 11 bytes per layout character.
int putStamp(char* dst, const char* layout, const struct tm& now) {
    int len = 0;
    for (const char* p = layout; *p; ++p) {
        switch (*p) {
            case 'Y':
                len += putField(dst + len, now.tm_year + 1900, 4);
                break;
            case 'y':
                len += putField(dst + len, now.tm_year + 1900, 2);
                break;
            case 'M':
                len += putField(dst + len, now.tm_mon + 1, 2);
                break;
            case 'D':
                len += putField(dst + len, now.tm_mday, 2);
                break;
            case 'h':
                len += putField(dst + len, now.tm_hour, 2);
                break;
            case 'm':
                len += putField(dst + len, now.tm_min, 2);
                break;
            case 's':
                len += putField(dst + len, now.tm_sec, 2);
                break;
            default:  // '0' and the separators
                dst[len++] = *p;
                break;
        }
    }
    return len;
}
// The longest layout: six fields of at most 11 bytes, eight other characters.
static_assert(kMaxStampBytes >= 6 * 11 + 8, "room for every layout");
}  // namespace

bool writesLines(int32_t stampMode) { return stampMode == 1 || layoutOf(stampMode); }

LineStamp lineStamp(int32_t stampMode, DWORD threadId) {
    if (stampMode == 1) {
        Utf8Sink stamp(gStamp.text, kMaxStampBytes, kMaxStampBytes);
        formatUtf8(stamp, QP_TEXT("tid=%ld:%lf[秒]["), threadId, elapsedSeconds());
        gStamp.valid = false;
        return {gStamp.text, stamp.stored(), stamp.units()};
    }
    const __time64_t second = _time64(nullptr);
    if (!gStamp.valid || stampMode != gStamp.mode || second != gStamp.second) {
        struct tm now;
        localTimeAt(second, &now);
        gStamp.length = putStamp(gStamp.text, layoutOf(stampMode), now);
        gStamp.mode = stampMode;
        gStamp.second = second;
        gStamp.valid = true;
    }
    return {gStamp.text, gStamp.length, gStamp.length};  // ASCII: a byte a unit
}

}  // namespace quillpen
