// The host program of the robustness tests, started by them as a child process. It uses
// the library as any host does and reports on its standard output, one line each:
// "ready" once logInit has returned 1, the number of every line whose _log call has
// returned, and "box <title>: <text>" for every message box the library asks for (none is
// shown). Modes:
//
//   write <dir> <ticks> <run>   "run <run> line <n>" lines, n = 0, 1, ... until killed
//   hold <dir> <ticks>          keeps the file of the day open until its input ends
//   untouched                   calls every export before any logInit, then "done"
//
// <ticks> freezes the library's clock (100 ns since 1970), so that the child names and
// stamps the same file of the day as the test that started it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/seams.h"
#include "quillpen.h"
#include "support/widen.h"
#include "text/utf.h"

namespace {

constexpr int32_t kMaxLines = 2000000;  // a bound should the test never kill us

// One whole report per write, so a kill never leaves half of one in the pipe.
void report(const std::string& line) {
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string utf8(const qp_wchar* text) {
    if (!text) return "(null)";
    std::string out(static_cast<size_t>(quillpen::wideLength(text)) * 3 + 1, '\0');
    const int n = quillpen::utf16ToUtf8(text, &out[0], static_cast<int>(out.size()));
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}

int reportBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    report("box " + utf8(caption) + ": " + utf8(text));
    return IDOK;
}

int writeLines(const WString& dir, int32_t run) {
    if (logInit(dir.c_str(), QP_TEXT("app"), 8192, 0, 0, 5, 0) != 1) return 2;
    report("ready");
    for (int32_t n = 0; n < kMaxLines; ++n) {
        _log(QP_TEXT("run %d line %d"), run, n);
        report(std::to_string(n));
    }
    logTerm();
    return 0;
}

int hold(const WString& dir) {
    if (logInit(dir.c_str(), QP_TEXT("app"), 0, 0, 0, 5, 0) != 1) return 2;
    report("ready");
    while (std::fgetc(stdin) != EOF) {
    }
    logTerm();
    return 0;
}

// Nothing may be written or fault without a session; only msgBox shows its boxes.
int untouched() {
    _log(QP_TEXT("x %d"), 1);
    _log(nullptr);
    log_debug(QP_TEXT("x"));
    log_info(QP_TEXT("x"));
    log_warning(QP_TEXT("x"));
    log_error(QP_TEXT("x"));
    log_critical(nullptr);
    w32_err_log(QP_TEXT("f"), 1);
    w32_err_log(nullptr, 1);
    logPut(QP_TEXT("x"), 1, 1, 10);
    logPut(nullptr, 1, 1, 10);
    logPutHex(QP_TEXT("x"), 1, 1, 10);
    logPutHex(nullptr, 1, 1, 10);
    logDumpUTF8(QP_TEXT("x"), 0, QP_TEXT("p"));
    logDumpUTF8(nullptr, 0, nullptr);
    makeBitStringUSHORT16(1, QP_TEXT("p"));
    makeBitStringUINT32(1, nullptr);
    makeBitStringUnicodeScalarValue(0x41, QP_TEXT("p"));
    makeBitStringUnicodeScalarValue(0x110000, nullptr);
    profileTimeStart(QP_TEXT("t"));
    profileTimeStop();
    profileTimeStart(nullptr);
    profileTimeStop();
    logTerm();
    logTerm();
    msgBox(QP_TEXT("m"), QP_TEXT("t"));
    msgBox(nullptr, QP_TEXT("t"));
    report("okcancel " + std::to_string(msgBoxOkCancel(QP_TEXT("m"), QP_TEXT("t"))));
    w32_reset_errCode();
    report("lasterr " + std::to_string(GetLastErr()));
    report("done");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    quillpen::seams::setMessageBox(reportBox);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "untouched") return untouched();
    if (argc < 4) return 64;
    quillpen::seams::setFakeTicks(std::strtoll(argv[3], nullptr, 10));
    if (mode == "write" && argc > 4)
        return writeLines(widen(argv[2]), static_cast<int32_t>(std::atoi(argv[4])));
    if (mode == "hold") return hold(widen(argv[2]));
    return 64;
}
