#include "core/error_text.h"

#include <cstring>

#include "core/format.h"
#include "core/messages.h"
#include "core/session.h"
#include "text/utf.h"

namespace quillpen {

int cutSystemText(const WCHAR* text, WCHAR* dst, int dstUnits) {
    if (dstUnits < 1) return 0;
    int n = wideLength(text);
    if (n >= 2) n -= 2;  // the closing CR LF goes before any cut, so a cut keeps real text
    if (n > dstUnits - 1) n = dstUnits - 1;
    for (int i = 0; i < n; ++i) dst[i] = text[i];
    dst[n] = 0;
    return n;
}

int systemErrorText(DWORD code, WCHAR* dst, int dstUnits) {
    WCHAR* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const int n = cutSystemText(text, dst, dstUnits);
    LocalFree(text);
    return n;
}

void w32_err_fmtMsg(const WCHAR* file_fnc, int32_t line, WCHAR* dst, int dstUnits) {
    const DWORD code = GetLastError();
    if (!file_fnc || !bufSizCheck(msg::kErrTextLabel, 510, wideLength(file_fnc))) return;
    WCHAR text[1024];
    systemErrorText(code, text, 1024);
    formatWide(dst, dstUnits, msg::kErrorText, file_fnc, line, static_cast<int32_t>(code), text);
}

}  // namespace quillpen
