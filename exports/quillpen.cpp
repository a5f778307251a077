// The 21 exported functions (the names in quillpen.def): each takes the session lock and
// forwards. A writer that the session's state rules out (no file, LOG_SLEEP, a level
// filtered out) returns before the lock, so it never waits behind another thread's write;
// one the gate lets through is decided again under the lock.
#include "quillpen.h"

#include <cstdarg>

#include "bittables/bit_table.h"
#include "core/levels.h"
#include "core/line_writer.h"
#include "core/messages.h"
#include "core/session.h"
#include "core/session_lock.h"
#include "core/w32_error.h"
#include "dumps/text_dump.h"
#include "dumps/utf8.h"
#include "util/msgbox.h"
#include "util/profile_timer.h"

using namespace quillpen;

extern "C" {

int32_t logInit(const qp_wchar* path, const qp_wchar* prefix, int32_t stampMode,
                int32_t newlineMode, int32_t logSleep, int32_t logLevel, int32_t bom) {
    SessionLock lock;
    return initSession(path, prefix, stampMode, newlineMode, logSleep, logLevel, bom) ? 1 : 0;
}

void logTerm(void) {
    SessionLock lock;
    termSession();
}

void _log(const qp_wchar* format, ...) {
    if (!writerAdmits(INT32_MIN)) return;
    SessionLock lock;
    va_list args;
    va_start(args, format);
    vlogLine(msg::kLogFormat, format, args);
    va_end(args);
}

// A variadic function cannot forward its arguments, so each level entry is spelled out.
#define QP_LEVEL_ENTRY(name, level)          \
    void name(const qp_wchar* format, ...) { \
        if (!writerAdmits(level)) return;    \
        SessionLock lock;                    \
        va_list args;                        \
        va_start(args, format);              \
        vlogLevel(level, format, args);      \
        va_end(args);                        \
    }
QP_LEVEL_ENTRY(log_debug, kDebug)
QP_LEVEL_ENTRY(log_info, kInfo)
QP_LEVEL_ENTRY(log_warning, kWarning)
QP_LEVEL_ENTRY(log_error, kError)
QP_LEVEL_ENTRY(log_critical, kCritical)
#undef QP_LEVEL_ENTRY

void w32_err_log(const qp_wchar* file_fnc, int32_t line) {
    // The code is read before anything can replace it, and given back to the host after
    // the lookup, the write and any box have set their own.
    const DWORD code = GetLastError();
    {
        SessionLock lock;
        logLastError(code, file_fnc, line);
    }
    SetLastError(code);
}

uint32_t GetLastErr(void) { return GetLastError(); }

void w32_reset_errCode(void) { SetLastError(0); }

void logPut(const qp_wchar* data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt) {
    SessionLock lock;
    dumpText(false, data, cnt, withMarkers, newLineCnt);
}

void logPutHex(const qp_wchar* data, int32_t cnt, uint8_t withMarkers, int32_t newLineCnt) {
    SessionLock lock;
    dumpText(true, data, cnt, withMarkers, newLineCnt);
}

void logDumpUTF8(const qp_wchar* data, intptr_t /*n: never read*/, const qp_wchar* prefix) {
    SessionLock lock;
    dumpUtf8(data, prefix);
}

void makeBitStringUSHORT16(uint16_t value, const qp_wchar* prefix) {
    SessionLock lock;
    makeUshortTable(value, prefix);
}

void makeBitStringUINT32(uint32_t value, const qp_wchar* prefix) {
    SessionLock lock;
    makeUintTable(value, prefix);
}

void makeBitStringUnicodeScalarValue(uint32_t scalar, const qp_wchar* prefix) {
    SessionLock lock;
    makeScalarTable(scalar, prefix);
}

// A box waits for the user and no other call may wait for it: the lock covers the checks
// of its texts only, and is taken inside.
void msgBox(const qp_wchar* msg, const qp_wchar* ttl) { hostBox(false, msg, ttl); }

int32_t msgBoxOkCancel(const qp_wchar* msg, const qp_wchar* ttl) { return hostBox(true, msg, ttl); }

void profileTimeStart(const qp_wchar* prefix) {
    SessionLock lock;
    startTimer(prefix);
}

void profileTimeStop(void) {
    SessionLock lock;
    stopTimer();
}

}  // extern "C"
