#include "core/error_text.h"

#include <cstring>

#include "core/format.h"
#include "core/messages.h"
#include "core/state.h"
#include "core/utf.h"

namespace quillpen {

int systemErrorText(DWORD code, WCHAR* dst, int dstUnits) {
    if (dstUnits < 1) return 0;
    WCHAR* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    int n = 0;
    for (; text && text[n] && n < dstUnits - 1; ++n) dst[n] = text[n];
    if (n >= 2) n -= 2;
    dst[n] = 0;
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
