// Opening the dated log file: the directory, the name, creation or reopening for appending,
// the byte-order mark and the LOG_SLEEP notice. Failures are shown in boxes, since there is
// no file yet to report them in.
#include "core/log_file.h"

#include <cstring>

#include "core/clock.h"
#include "core/error_text.h"
#include "core/format.h"
#include "core/messages.h"
#include "core/session.h"
#include "core/session_lock.h"

namespace quillpen {
namespace {
constexpr int kAreaUnits = 1536;  // the message and error-text areas, 3072 bytes each

// Creates only the last component of the path; an existing directory is fine.
bool createDirCheck(WCHAR* errorText) {
    const WCHAR* path = gLogCtx->path;
    if (path[0] == 0) {
        SetLastError(ERROR_INVALID_NAME);  // no default directory: an empty path is refused
    } else if (CreateDirectoryW(path, nullptr)) {
        return true;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS) return true;
    const bool parentMissing = code == ERROR_PATH_NOT_FOUND;
    w32_err_fmtMsg(msg::kDirCheckLabel, parentMissing ? msg::kDirNotFoundLine : msg::kDirCreateLine,
                   errorText, kAreaUnits);
    if (parentMissing)
        formatWide(gMsgBufW, kWideBufUnits, msg::kDirPathNotFound, path, errorText);
    else
        formatWide(gMsgBufW, kWideBufUnits, msg::kDirCreateFailed, path, errorText);
    showBox(gMsgBufW, msg::kDirCheckTitle);
    std::memset(gMsgBufW, 0, kWideBufUnits * sizeof(WCHAR));
    return false;
}

bool composeFileName(WCHAR* message) {
    struct tm now;
    localNow(&now);
    LogContext& ctx = *gLogCtx;
    if (formatWide(ctx.logFilePath, kFieldUnits, QP_TEXT("%s%c%s%4d%02d%02d.log"), ctx.path,
                   kPathSeparator, ctx.prefix, now.tm_year + 1900, now.tm_mon + 1,
                   now.tm_mday) >= 0)
        return true;
    // Never cut into the name of another file.
    std::memset(ctx.logFilePath, 0, sizeof ctx.logFilePath);
    formatWide(message, kAreaUnits, msg::kFileNameTooLong, kFieldUnits - 1, ctx.path, ctx.prefix);
    showBox(message, msg::kFileNameTooLongTitle);
    return false;
}

void showOpenFailure(WCHAR* message, WCHAR* errorText) {
    w32_err_fmtMsg(msg::kOpenLabel, msg::kOpenErrorLine, errorText, kAreaUnits);
    formatWide(gMsgBufW, kWideBufUnits, msg::kOpenFailed, errorText, gLogCtx->path);
    formatWide(message, kAreaUnits, msg::kOpenFailedTitle, msg::kOpenTitleLine);
    showBox(gMsgBufW, message);
    std::memset(gMsgBufW, 0, kWideBufUnits * sizeof(WCHAR));
}
}  // namespace

bool logFileOpen() {
    WCHAR message[kAreaUnits] = {};
    WCHAR errorText[kAreaUnits] = {};
    LogContext& ctx = *gLogCtx;
    if (!createDirCheck(errorText)) {
        formatWide(message, kAreaUnits, msg::kDirCheckFailed, ctx.path);
        showBox(message, msg::kDirCheckFailedTitle);
        return false;
    }
    if (!composeFileName(message)) return false;
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
    HANDLE file =
        CreateFileW(ctx.logFilePath, access, FILE_SHARE_READ, nullptr, CREATE_NEW, flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ctx.hFile = file;
        if (ctx.bom == 1) logFileWrite("\xEF\xBB\xBF", 3);
    } else if (GetLastError() == ERROR_FILE_EXISTS) {
        SetLastError(0);
        file = CreateFileW(ctx.logFilePath, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            showOpenFailure(message, errorText);
            return false;
        }
        // The end of a file of 4 GiB or more lies past 32 bits. A reopened file that cannot
        // be moved to its end is not used: its earlier lines would be overwritten.
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        // Named in full: the argument's type also brings the system's function into view.
        if (!quillpen::SetFilePointerEx(file, zero, nullptr, FILE_END)) {
            const DWORD code = GetLastError();
            CloseHandle(file);
            SetLastError(code);
            showOpenFailure(message, errorText);
            return false;
        }
        ctx.hFile = file;
    } else {
        // A file that cannot be created is a failure, never a session with a dead handle.
        showOpenFailure(message, errorText);
        return false;
    }
    if (ctx.logSleep == 1) logFileWrite(msg::kSleepNotice, sizeof msg::kSleepNotice - 1);
    return true;
}

void logFileWrite(const char* bytes, int length) {
    if (length <= 0) return;
    DWORD written = 0;
    WriteFile(gLogCtx->hFile, bytes, static_cast<DWORD>(length), &written, nullptr);
}

void logFileClose() {
    CloseHandle(gLogCtx->hFile);
    gLogCtx->hFile = INVALID_HANDLE_VALUE;
}

}  // namespace quillpen
