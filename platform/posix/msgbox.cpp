// Message boxes. Differs from Windows: nothing is shown; the box becomes one UTF-8 line
// "<title>: <text>" on standard error and every box answers IDOK at once.
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "text/utf.h"

namespace {
std::string toUtf8(LPCWSTR text) {
    if (!text) return "(null)";
    std::string out(static_cast<size_t>(quillpen::wideLength(text)) * 3 + 1, '\0');
    int n = quillpen::utf16ToUtf8(text, &out[0], static_cast<int>(out.size()));
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}
}  // namespace

extern "C" int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    std::string line = toUtf8(caption) + ": " + toUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return IDOK;
}
