// The calling thread's last-error code: read it, clear it, or log it as one time-stamped
// line written whatever logLevel is. The system text loses its closing CR LF, and a code
// the system has no text for ends the line at the colon. In stamp mode 0:
//   SetLastError(5); w32_err_log(u"main.c run", 42)
//     => "[main.c run line=42 Win32 ErrCode=5 :Access is denied.]\r\n"
//   code 0xE0000001 => "[main.c run line=42 Win32 ErrCode=-536870911 :]\r\n"
#include "core/w32_error.h"

#include "core/error_text.h"
#include "core/line_writer.h"
#include "core/log_file.h"
#include "core/messages.h"
#include "core/session.h"
#include "quillpen.h"
#include "text/utf.h"

namespace quillpen::msg {
namespace {
constexpr auto kErrLogLabel = QP_TEXT("w32_err_log() file_fnc");
}  // namespace
}  // namespace quillpen::msg

namespace quillpen {
namespace {
constexpr int32_t kMaxFileFncUnits = 260;  // measured in units, unlike the other texts
constexpr int kSystemTextUnits = 1024;     // a longer system text is cut to fit

}  // namespace

void logLastError(DWORD code, const WCHAR* file_fnc, int32_t line) {
    if (!gLogCtx) return;  // no session: nothing to write to and no one to tell
    if (!file_fnc) {
        checkText(msg::kErrLogLabel, file_fnc, 0);  // reports the null label
        return;
    }
    if (!bufSizCheck(msg::kErrLogLabel, kMaxFileFncUnits, wideLength(file_fnc))) return;
    if (!writerReady()) return;  // the line would be lost: spare the system lookup
    WCHAR text[kSystemTextUnits] = {};
    systemErrorText(code, text, kSystemTextUnits);
    // The layout is the library's own literal; the host's label and the system text are
    // arguments only, so a "%" in either is printed as it stands.
    logLine(msg::kErrorText, file_fnc, line, static_cast<int32_t>(code), text);
}

}  // namespace quillpen
