// Line stamps by stamp mode, for example mode 8192 at 09:03:04 on 5 December 2026:
//   "count=5" => "2026-12-05 09:03:04:[count=5]\r\n"
// The %ld field of modes 3, 5, 7, 9, 16384 and 32768 always shows 0, and mode 32768 has no
// colon before the "[". Modes not listed give an empty line, which is not written.
#include "core/clock.h"
#include "core/format.h"
#include "core/line_writer.h"
#include "core/state.h"
#include "quillpen.h"

namespace quillpen {

int logFormatLine(int32_t stampMode, DWORD threadId) {
    struct tm now;
    localNow(&now);
    const int year = now.tm_year + 1900, month = now.tm_mon + 1, day = now.tm_mday;
    const int hour = now.tm_hour, minute = now.tm_min, second = now.tm_sec;
    const WCHAR* m = gMsgBufW;
    const WCHAR* nl = gNewlineW;
    WCHAR* dst = gLineBufW;
    const int n = kWideBufUnits;
    switch (stampMode) {
        case 0:
            return formatWide(dst, n, QP_TEXT("[%s]%s"), m, nl);
        case 1:
            return formatWide(dst, n, QP_TEXT("tid=%ld:%lf[秒][%s]%s"), threadId, elapsedSeconds(),
                              m, nl);
        case 2:
            return formatWide(dst, n, QP_TEXT("%02d:[%s]%s"), second, m, nl);
        case 3:
            return formatWide(dst, n, QP_TEXT("%02d:%ld:[%s]%s"), second, 0, m, nl);
        case 4:
            return formatWide(dst, n, QP_TEXT("%02d:[%s]%s"), minute, m, nl);
        case 5:
            return formatWide(dst, n, QP_TEXT("%02d:%ld:[%s]%s"), minute, 0, m, nl);
        case 6:
            return formatWide(dst, n, QP_TEXT("%02d:%02d:[%s]%s"), minute, second, m, nl);
        case 7:
            return formatWide(dst, n, QP_TEXT("%02d:%02d:%ld:[%s]%s"), minute, second, 0, m, nl);
        case 8:
            return formatWide(dst, n, QP_TEXT("%02d:[%s]%s"), hour, m, nl);
        case 9:
            return formatWide(dst, n, QP_TEXT("%02d:%ld:[%s]%s"), hour, 0, m, nl);
        case 16:
            return formatWide(dst, n, QP_TEXT("%02d:[%s]%s"), day, m, nl);
        case 32:
            return formatWide(dst, n, QP_TEXT("%02d:[%s]%s"), month, m, nl);
        case 64:
            return formatWide(dst, n, QP_TEXT("%02d:[%s]%s"), year, m, nl);
        case 128:
            return formatWide(dst, n, QP_TEXT("%02d:%02d:%02d:[%s]%s"), year, month, day, m, nl);
        case 256:
        case 512:
        case 1024:
            return formatWide(dst, n, QP_TEXT("%04d%02d%02d:[%s]%s"), year, month, day, m, nl);
        case 2048:
            return formatWide(dst, n, QP_TEXT("%04d%02d%02d-%02d%02d%02d:[%s]%s"), year, month, day,
                              hour, minute, second, m, nl);
        case 4096:
            return formatWide(dst, n, QP_TEXT("%04d/%02d/%02d-%02d:%02d:%02d:[%s]%s"), year, month,
                              day, hour, minute, second, m, nl);
        case 8192:
            return formatWide(dst, n, QP_TEXT("%04d-%02d-%02d %02d:%02d:%02d:[%s]%s"), year, month,
                              day, hour, minute, second, m, nl);
        case 16384:
            return formatWide(dst, n, QP_TEXT("%04d%02d%02d-%02d%02d%02d:%ld:[%s]%s"), year, month,
                              day, hour, minute, second, 0, m, nl);
        case 32768:
            return formatWide(dst, n, QP_TEXT("%04d/%02d/%02d-%02d:%02d:%02d:%ld[%s]%s"), year,
                              month, day, hour, minute, second, 0, m, nl);
        default:
            dst[0] = 0;
            return 0;
    }
}

}  // namespace quillpen
