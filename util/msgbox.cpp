// Message boxes for the host, with or without a session. Both texts are measured first
// (at most 255 units each, the text before the title); a refused text shows no box and is
// reported like any other refused argument: a [SYSLOG] error line while a log file is open,
// the length guard's own box otherwise.
#include "core/session_lock.h"
#include "core/state.h"
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

// The box's answer, or 0 when a text was refused. The lock covers the length guard only:
// the box waits for the user, and no other call may wait for the box.
int showChecked(const WCHAR* msgLabel, const WCHAR* ttlLabel, const WCHAR* text, const WCHAR* title,
                UINT type) {
    {
        SessionLock lock;
        // The title is not examined once the text is refused.
        if (!checkText(msgLabel, text, kMaxTextBytes) || !checkText(ttlLabel, title, kMaxTextBytes))
            return 0;
    }
    return MessageBoxW(nullptr, text, title, type);
}
}  // namespace
}  // namespace quillpen

extern "C" void msgBox(const qp_wchar* msg, const qp_wchar* ttl) {
    quillpen::showChecked(quillpen::msg::kMsgBoxMsg, quillpen::msg::kMsgBoxTtl, msg, ttl, MB_OK);
}

extern "C" int32_t msgBoxOkCancel(const qp_wchar* msg, const qp_wchar* ttl) {
    return quillpen::showChecked(quillpen::msg::kOkCancelMsg, quillpen::msg::kOkCancelTtl, msg, ttl,
                                 MB_OKCANCEL);
}
