// The level entry points: the same time-stamped line as _log, written only when the
// session's level threshold admits the function's level (logLevel >= 5 debug, 4 info,
// 3 warning, 2 error, 1 critical). The level never appears in the line:
//   logLevel 3, log_error(u"n=%d", 7), stamp mode 0 => "[n=7]\r\n"
//   logLevel 3, log_info(u"n=%d", 7)                 => nothing
#include <cstdarg>

#include "core/line_writer.h"
#include "core/session_lock.h"
#include "core/state.h"
#include "quillpen.h"

namespace quillpen::msg {
namespace {
constexpr auto kDebugFormat = QP_TEXT("log_debug() format");
constexpr auto kInfoFormat = QP_TEXT("log_info() format");
constexpr auto kWarningFormat = QP_TEXT("log_warning() format");
constexpr auto kErrorFormat = QP_TEXT("log_error() format");
constexpr auto kCriticalFormat = QP_TEXT("log_critical() format");
}  // namespace
}  // namespace quillpen::msg

namespace quillpen {
namespace {
// The level test comes before anything else: a filtered call neither measures its format
// nor reports a refusal.
PendingLine levelLine(int32_t level, const WCHAR* label, const WCHAR* format, va_list args) {
    if (!gLogCtx || gLogCtx->logLevel < level) return {false, 0, 0};
    return composeStampedLine(label, format, args);
}
}  // namespace
}  // namespace quillpen

// The five exports differ only in their level and label; a variadic function cannot be
// forwarded, so each is spelled out by this macro. A call the level or LOG_SLEEP rules out
// returns before it takes the lock, so it never waits behind another thread's write; one
// the gate lets through is decided again under the lock.
#define QP_LEVEL_ENTRY(name, level, label)                                            \
    extern "C" void name(const qp_wchar* format, ...) {                               \
        if (!quillpen::writerAdmits(quillpen::level)) return;                         \
        quillpen::SessionLock lock;                                                   \
        va_list args;                                                                 \
        va_start(args, format);                                                       \
        const quillpen::PendingLine line =                                            \
            quillpen::levelLine(quillpen::level, quillpen::msg::label, format, args); \
        va_end(args);                                                                 \
        quillpen::writePendingLine(line);                                             \
    }

QP_LEVEL_ENTRY(log_debug, kDebug, kDebugFormat)
QP_LEVEL_ENTRY(log_info, kInfo, kInfoFormat)
QP_LEVEL_ENTRY(log_warning, kWarning, kWarningFormat)
QP_LEVEL_ENTRY(log_error, kError, kErrorFormat)
QP_LEVEL_ENTRY(log_critical, kCretical, kCriticalFormat)
