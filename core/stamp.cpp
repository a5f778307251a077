// Every mode but 1 is a row of zero-padded decimal fields and separators, put together
// here digit by digit, as "%04d", "%02d" and "%ld" of 0 would print them; the stamp depends
// only on the mode and the second, so it is kept for the lines of the same second. Mode 1
// (a double) goes through the printf engine.
#include "core/stamp.h"

#include <cstring>

#include "core/clock.h"
#include "core/format.h"
#include "core/session.h"
#include "quillpen.h"
#include "text/utf8_sink.h"

namespace quillpen {
namespace {
// Stamp layouts by mode: Y "%04d" year, y "%02d" year, M month, D day, h hour, m minute,
// s second (each "%02d"), 0 the "%ld" of 0; any other character stands as it is.
struct Layout {
    int32_t mode;
    const char* layout;
};
constexpr Layout kLayouts[] = {
    {0, "["},
    {2, "s:["},
    {3, "s:0:["},
    {4, "m:["},
    {5, "m:0:["},
    {6, "m:s:["},
    {7, "m:s:0:["},
    {8, "h:["},
    {9, "h:0:["},
    {16, "D:["},
    {32, "M:["},
    {64, "y:["},
    {128, "y:M:D:["},
    {256, "YMD:["},
    {512, "YMD:["},
    {1024, "YMD:["},
    {2048, "YMD-hms:["},
    {4096, "Y/M/D-h:m:s:["},
    {8192, "Y-M-D h:m:s:["},
    {16384, "YMD-hms:0:["},
    {32768, "Y/M/D-h:m:s:0["},
};

const char* layoutOf(int32_t stampMode) {
    for (const Layout& l : kLayouts)
        if (l.mode == stampMode) return l.layout;
    return nullptr;
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
        if (!std::strchr("YyMDhms", *p)) {  // '0' and the separators
            dst[len++] = *p;
            continue;
        }
        const int field = *p == 'M'   ? now.tm_mon + 1
                          : *p == 'D' ? now.tm_mday
                          : *p == 'h' ? now.tm_hour
                          : *p == 'm' ? now.tm_min
                          : *p == 's' ? now.tm_sec
                                      : now.tm_year + 1900;
        len += putField(dst + len, field, *p == 'Y' ? 4 : 2);
    }
    return len;
}

// The longest layout: six fields of at most 11 bytes, eight other characters.
static_assert(kMaxStampBytes >= 6 * 11 + 8, "room for every layout");
}  // namespace

LineStamp lineStamp(int32_t stampMode, DWORD threadId) {
    if (stampMode == 1) {
        Utf8Sink stamp(gStamp.text, kMaxStampBytes, kMaxStampBytes);
        formatUtf8(stamp, QP_TEXT("tid=%ld:%lf[秒]["), threadId, elapsedSeconds());
        gStamp.valid = false;
        return {gStamp.text, stamp.stored(), stamp.units()};
    }
    const __time64_t second = _time64(nullptr);
    if (!gStamp.valid || stampMode != gStamp.mode || second != gStamp.second) {
        const char* layout = layoutOf(stampMode);
        if (!layout) return {nullptr, 0, 0};
        struct tm now;
        localTimeAt(second, &now);
        gStamp.length = putStamp(gStamp.text, layout, now);
        gStamp.mode = stampMode;
        gStamp.second = second;
        gStamp.valid = true;
    }
    return {gStamp.text, gStamp.length, gStamp.length};  // ASCII: a byte a unit
}

}  // namespace quillpen
