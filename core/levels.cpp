// The level entry points: the same time-stamped line as _log, written only when the
// session's level threshold admits the function's level (logLevel >= 5 debug, 4 info,
// 3 warning, 2 error, 1 critical). The level never appears in the line:
//   logLevel 3, log_error(u"n=%d", 7), stamp mode 0 => "[n=7]\r\n"
//   logLevel 3, log_info(u"n=%d", 7)                 => nothing
#include "core/levels.h"

#include "core/session.h"
#include "quillpen.h"

namespace quillpen {
namespace {
// The format labels of refusals, by level.
const WCHAR* const kFormatLabels[] = {
    nullptr,
    QP_TEXT("log_critical() format"),
    QP_TEXT("log_error() format"),
    QP_TEXT("log_warning() format"),
    QP_TEXT("log_info() format"),
    QP_TEXT("log_debug() format"),
};
}  // namespace

void vlogLevel(SyslogCode level, const WCHAR* format, va_list args) {
    // The level test comes first: a filtered call neither measures its format nor reports
    // a refusal.
    if (!gLogCtx || gLogCtx->logLevel < level) return;
    vlogLine(kFormatLabels[level], format, args);
}

}  // namespace quillpen
