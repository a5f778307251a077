// The process-wide stopwatch. A start stores a label and the wall clock; every stop writes
// an INFO [SYSLOG] line with the seconds since that start, truncated to whole milliseconds,
// so repeated stops are splits of one measurement:
//   profileTimeStart(u"load"); ...1.2345678 s...; profileTimeStop()
//     => "[SYSLOG][□--INFO--□] [load] 経過時間=1.234000[秒]\r\n"
// The stopwatch belongs to the process, not to the session: a start before logInit counts
// for a stop after it. Its lines need a session and are lost without one.
#include "util/profile_timer.h"

#include <cstdint>
#include <cstring>

#include "core/clock.h"
#include "core/line_writer.h"
#include "core/messages.h"
#include "core/session.h"
#include "quillpen.h"
#include "text/utf.h"

namespace quillpen::msg {
namespace {
constexpr auto kPrefixTooLong =
    QP_TEXT("profileTimeStart() prefix文字列は128バイトまでです。バッファオーバ・サイズエラー");
constexpr auto kPrefixLabel = QP_TEXT("profileTimeStart() prefix");
constexpr auto kElapsed = QP_TEXT("[%s] 経過時間=%lf[秒]");
}  // namespace
}  // namespace quillpen::msg

namespace quillpen {
namespace {
constexpr int kMaxPrefixUnits = 128;  // NUL included: a label of 128 keeps its first 127

}  // namespace

// A refused label empties the stored one and keeps the earlier start.
void startTimer(const WCHAR* prefix) {
    std::memset(gProfPrefix, 0, sizeof gProfPrefix);
    if (!prefix) {
        logSyslog(kError, msg::kNullText, msg::kPrefixLabel);
        return;
    }
    const int units = wideLength(prefix);
    if (units > kMaxPrefixUnits) {
        logSyslog(kInfo, msg::kPrefixTooLong);
        return;
    }
    const int kept = units < kMaxPrefixUnits ? units : kMaxPrefixUnits - 1;
    std::memcpy(gProfPrefix, prefix, kept * sizeof(WCHAR));
    gProfStart = clockTicks();
}

void stopTimer() {
    const double seconds = ticksToSeconds(clockTicks() - gProfStart);
    logSyslog(kInfo, msg::kElapsed, gProfPrefix, seconds);
}

}  // namespace quillpen
