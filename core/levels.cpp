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
void levelLine(int32_t level, const WCHAR* label, const WCHAR* format, va_list args) {
    if (!gLogCtx || gLogCtx->logLevel < level) return;
    writeStampedLine(label, format, args);
}
}  // namespace
}  // namespace quillpen

extern "C" void log_debug(const qp_wchar* format, ...) {
    quillpen::SessionLock lock;
    va_list args;
    va_start(args, format);
    quillpen::levelLine(quillpen::kDebug, quillpen::msg::kDebugFormat, format, args);
    va_end(args);
}

extern "C" void log_info(const qp_wchar* format, ...) {
    quillpen::SessionLock lock;
    va_list args;
    va_start(args, format);
    quillpen::levelLine(quillpen::kInfo, quillpen::msg::kInfoFormat, format, args);
    va_end(args);
}

extern "C" void log_warning(const qp_wchar* format, ...) {
    quillpen::SessionLock lock;
    va_list args;
    va_start(args, format);
    quillpen::levelLine(quillpen::kWarning, quillpen::msg::kWarningFormat, format, args);
    va_end(args);
}

extern "C" void log_error(const qp_wchar* format, ...) {
    quillpen::SessionLock lock;
    va_list args;
    va_start(args, format);
    quillpen::levelLine(quillpen::kError, quillpen::msg::kErrorFormat, format, args);
    va_end(args);
}

extern "C" void log_critical(const qp_wchar* format, ...) {
    quillpen::SessionLock lock;
    va_list args;
    va_start(args, format);
    quillpen::levelLine(quillpen::kCretical, quillpen::msg::kCriticalFormat, format, args);
    va_end(args);
}
