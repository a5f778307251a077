// Message boxes for the host, with or without a session. Both texts are measured first
// (at most 255 units each, the text before the title); a refused text shows no box and is
// reported like any other refused argument: a [SYSLOG] error line while a log file is open,
// the length guard's own box otherwise.
#include "util/msgbox.h"

#include "core/session.h"
#include "core/session_lock.h"
#include "quillpen.h"

namespace quillpen::msg {
namespace {
constexpr auto kMsgBoxMsg = QP_TEXT("msgBox() msg");
constexpr auto kMsgBoxTtl = QP_TEXT("msgBox() ttl");
constexpr auto kOkCancelMsg = QP_TEXT("msgBoxOkCancel() msg");
constexpr auto kOkCancelTtl = QP_TEXT("msgBoxOkCancel() ttl");
}  // namespace
}  // namespace quillpen::msg

namespace quillpen {
namespace {
constexpr int32_t kMaxTextBytes = 510;

}  // namespace

int32_t hostBox(bool okCancel, const WCHAR* text, const WCHAR* title) {
    {
        SessionLock lock;
        // The title is not examined once the text is refused.
        if (!checkText(okCancel ? msg::kOkCancelMsg : msg::kMsgBoxMsg, text, kMaxTextBytes) ||
            !checkText(okCancel ? msg::kOkCancelTtl : msg::kMsgBoxTtl, title, kMaxTextBytes))
            return 0;
    }
    return MessageBoxW(nullptr, text, title, okCancel ? MB_OKCANCEL : MB_OK);
}

}  // namespace quillpen
