// Line stamps by stamp mode, for example mode 8192 at 09:03:04 on 5 December 2026:
//   "count=5" => "2026-12-05 09:03:04:[count=5]\r\n"
// The %ld field of modes 3, 5, 7, 9, 16384 and 32768 always shows 0, and mode 32768 has no
// colon before the "[". Modes not listed give an empty line, which is not written.
//
// Every mode but 1 is a row of zero-padded decimal fields and separators, so its stamp is
// put together here digit by digit, as the printf engine would print it ("%04d", "%02d",
// "%ld" of 0), without a pass through the engine; mode 1 (a double) goes through it.
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "core/clock.h"
#include "core/format.h"
#include "core/hot.h"
#include "core/line_writer.h"
#include "core/state.h"
#include "quillpen.h"
#include "text/utf.h"

namespace quillpen {
namespace {
// Stamp layouts: Y "%04d" year, y "%02d" year, M month, D day, h hour, m minute, s second
// (each "%02d"), 0 the "%ld" of 0; any other character stands as it is.
const char* layoutOf(int32_t stampMode) {
    switch (stampMode) {
        case 0:
            return "";
        case 2:
            return "s:";
        case 3:
            return "s:0:";
        case 4:
            return "m:";
        case 5:
            return "m:0:";
        case 6:
            return "m:s:";
        case 7:
            return "m:s:0:";
        case 8:
            return "h:";
        case 9:
            return "h:0:";
        case 16:
            return "D:";
        case 32:
            return "M:";
        case 64:
            return "y:";
        case 128:
            return "y:M:D:";
        case 256:
        case 512:
        case 1024:
            return "YMD:";
        case 2048:
            return "YMD-hms:";
        case 4096:
            return "Y/M/D-h:m:s:";
        case 8192:
            return "Y-M-D h:m:s:";
        case 16384:
            return "YMD-hms:0:";
        case 32768:
            return "Y/M/D-h:m:s:0";
        default:
            return nullptr;
    }
}

// "%0<width>d" of `value`: the sign, then zeros up to `width` characters in all, then the
// digits (at least one). Returns the units written (at most 11).
int putField(WCHAR* dst, int value, int width) {
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : value;
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int len = 0;
    if (value < 0) dst[len++] = static_cast<WCHAR>('-');
    for (int zeros = width - len - n; zeros > 0; --zeros) dst[len++] = static_cast<WCHAR>('0');
    while (n) dst[len++] = static_cast<WCHAR>(digits[--n]);
    return len;
}

// The stamp of `layout` at `now` into dst (room for 12 units per layout character).
int putStamp(WCHAR* dst, const char* layout, const struct tm& now) {
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
            case '0':
                dst[len++] = static_cast<WCHAR>('0');
                break;
            default:
                dst[len++] = static_cast<WCHAR>(*p);
                break;
        }
    }
    return len;
}

// The stamp of the last line: a function of the stamp mode and the second alone, so
// within a second a line of the same mode reuses it.
struct StampCache {
    int32_t mode = 0;
    __time64_t second = 0;
    bool valid = false;
    WCHAR units[160] = {};  // the longest layout has 13 characters of up to 11 units
    char bytes[160] = {};   // the same, every unit ASCII
    int length = 0;
};
StampCache gStamp;

// Puts the stamp of `layout` at `second` into the cache. Out of line: it runs once a
// second.
QP_NOINLINE void refreshStamp(int32_t stampMode, const char* layout, __time64_t second) {
    struct tm now;
    localTimeAt(second, &now);
    gStamp.length = putStamp(gStamp.units, layout, now);
    for (int i = 0; i < gStamp.length; ++i) gStamp.bytes[i] = static_cast<char>(gStamp.units[i]);
    gStamp.mode = stampMode;
    gStamp.second = second;
    gStamp.valid = true;
}

// The stamp of a line of `stampMode` now; nullptr for mode 1 and the modes that write no
// line.
QP_HOT const StampCache* currentStamp(int32_t stampMode) {
    const __time64_t second = _time64(nullptr);
    if (gStamp.valid && stampMode == gStamp.mode && second == gStamp.second) return &gStamp;
    const char* layout = stampMode == 1 ? nullptr : layoutOf(stampMode);
    if (!layout) return nullptr;
    refreshStamp(stampMode, layout, second);
    return &gStamp;
}

// Units before the terminator of the text in `buffer`, a scratch buffer of `capacity`
// units; `capacity` when it holds no terminator. Eight units are tested at a time where
// SSE2 is there: every read stays inside the buffer, past the terminator or not.
int bufferTextLength(const WCHAR* buffer, int capacity) {
    int n = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i zero = _mm_setzero_si128();
    for (; n + 8 <= capacity; n += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + n));
        const int zeros = _mm_movemask_epi8(_mm_cmpeq_epi16(eight, zero));
#if defined(__GNUC__)
        if (zeros != 0) return n + __builtin_ctz(static_cast<unsigned>(zeros)) / 2;
#else
        if (zeros != 0) break;  // the terminator is among these eight
#endif
    }
#endif
    while (n < capacity && buffer[n]) ++n;
    return n;
}

// The line of the elapsed-time mode, through the printf engine.
QP_NOINLINE int elapsedLine(DWORD threadId) {
    return formatWide(gLineBufW, kWideBufUnits, QP_TEXT("tid=%ld:%lf[秒][%s]%s"), threadId,
                      elapsedSeconds(), gMsgBufW, gNewlineW);
}
}  // namespace

QP_HOT const char* lineStamp(int32_t stampMode, int& bytes) {
    const StampCache* stamp = currentStamp(stampMode);
    if (!stamp) return nullptr;
    bytes = stamp->length;
    return stamp->bytes;
}

QP_HOT int logFormatLine(int32_t stampMode, DWORD threadId) {
    if (stampMode == 1) return elapsedLine(threadId);
    const StampCache* cached = currentStamp(stampMode);
    if (!cached) {
        gLineBufW[0] = 0;
        return 0;
    }
    const WCHAR* stamp = cached->units;
    const int stampUnits = cached->length;
    const int messageUnits = bufferTextLength(gMsgBufW, kWideBufUnits);
    const int newlineUnits = wideLength(gNewlineW);
    const int lineUnits = stampUnits + 1 + messageUnits + 1 + newlineUnits;
    // The engine's bound: the line and its NUL within the buffer, or no line at all.
    if (lineUnits > kWideBufUnits - 1) return -1;
    WCHAR* out = gLineBufW;
    std::memcpy(out, stamp, stampUnits * sizeof(WCHAR));
    out += stampUnits;
    *out++ = static_cast<WCHAR>('[');
    std::memcpy(out, gMsgBufW, messageUnits * sizeof(WCHAR));
    out += messageUnits;
    *out++ = static_cast<WCHAR>(']');
    std::memcpy(out, gNewlineW, newlineUnits * sizeof(WCHAR));
    out[newlineUnits] = 0;
    return lineUnits;
}

}  // namespace quillpen
