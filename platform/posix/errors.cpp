// Last-error codes and system texts. Differs from Windows: FormatMessageW knows only the
// codes this layer produces (English texts ending in CR LF, as Windows' do) and fails with
// ERROR_MR_MID_NOT_FOUND for every other code.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {
thread_local DWORD tLastError = 0;

struct SystemText {
    DWORD code;
    const char16_t* text;
};

const SystemText kSystemTexts[] = {
    {0, u"The operation completed successfully.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {29, u"The system cannot write to the specified device.\r\n"},
    {32, u"The process cannot access the file because it is being used by another process.\r\n"},
    {80, u"The file exists.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {112, u"There is not enough space on the disk.\r\n"},
    {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {131, u"An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {183, u"Cannot create a file when that file already exists.\r\n"},
    {206, u"The filename or extension is too long.\r\n"},
};

const char16_t* systemText(DWORD code) {
    for (const SystemText& entry : kSystemTexts)
        if (entry.code == code) return entry.text;
    return nullptr;
}
}  // namespace

extern "C" {

DWORD GetLastError(void) { return tLastError; }

void SetLastError(DWORD code) { tLastError = code; }

DWORD GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD code, DWORD, LPWSTR buffer, DWORD size, va_list*) {
    const char16_t* text = (flags & FORMAT_MESSAGE_FROM_SYSTEM) ? systemText(code) : nullptr;
    if (!text || !buffer) {
        SetLastError(text ? ERROR_INVALID_PARAMETER : ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    DWORD units = 0;
    while (text[units]) ++units;
    WCHAR* dst = buffer;
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        dst = static_cast<WCHAR*>(std::malloc((units + 1) * sizeof(WCHAR)));
        if (!dst) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        *reinterpret_cast<WCHAR**>(buffer) = dst;
    } else if (size <= units) {
        SetLastError(ERROR_INVALID_PARAMETER);  // Windows says ERROR_INSUFFICIENT_BUFFER
        return 0;
    }
    std::memcpy(dst, text, (units + 1) * sizeof(WCHAR));
    return units;
}

HLOCAL LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

}  // extern "C"
