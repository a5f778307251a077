// The session: its record, the shared scratch buffers, start-up and shut-down, and the
// argument length guard.
#include "core/session.h"

#include <cstring>
#include <initializer_list>
#include <iterator>

#include "core/format.h"
#include "core/line_writer.h"
#include "core/log_file.h"
#include "core/messages.h"
#include "core/session_lock.h"
#include "text/utf.h"

namespace quillpen {

LogContext* gLogCtx = nullptr;
int32_t gInitDone = 0;
WCHAR* gMsgBufW = nullptr;
WCHAR* gLineBufW = nullptr;
WCHAR* gSysMsgW = nullptr;
char* gOutBufA = nullptr;
char* gSysOutA = nullptr;
WCHAR gNewlineW[8] = {};
char gNewlineA[16] = {};
int64_t gElapsedStart = 0;
StampCache gStamp = {};
WCHAR gProfPrefix[kProfPrefixUnits] = {};
int64_t gProfStart = 0;  // a stop without a start measures from 1970

namespace {
constexpr int kWideBufBytes = kWideBufUnits * 2;

struct Buffer {
    void** slot;
    SIZE_T bytes;
};

const Buffer kBuffers[] = {
    {reinterpret_cast<void**>(&gMsgBufW), kWideBufBytes},
    {reinterpret_cast<void**>(&gLineBufW), kWideBufBytes},
    {reinterpret_cast<void**>(&gOutBufA), kOutBufBytes},
    {reinterpret_cast<void**>(&gSysMsgW), kWideBufBytes},
    {reinterpret_cast<void**>(&gSysOutA), kSysOutBytes},
};

bool allocateSession() {
    if (!gLogCtx) gLogCtx = static_cast<LogContext*>(GlobalAlloc(GPTR, sizeof(LogContext)));
    if (!gLogCtx) return false;
    for (const Buffer& buffer : kBuffers)
        if (!*buffer.slot && !(*buffer.slot = GlobalAlloc(GPTR, buffer.bytes))) return false;
    return true;
}

void releaseSession() {
    GlobalFree(gLogCtx);
    gLogCtx = nullptr;
    for (const Buffer& buffer : kBuffers) {
        if (*buffer.slot) GlobalFree(*buffer.slot);
        *buffer.slot = nullptr;
    }
}

// Terminators by newline mode: time-stamped and [SYSLOG] lines use gNewlineW, dump and
// table lines gNewlineA. Modes 1 and 2 give the two kinds different terminators; any other
// mode keeps CR LF for gNewlineW and leaves gNewlineA as it was.
void setTerminators(int32_t newlineMode) {
    static const WCHAR* const kWide[] = {QP_TEXT("\r\n"), QP_TEXT("\n"), QP_TEXT("\r")};
    static const char* const kBytes[] = {"\r\n", "\r", "\n"};
    std::memset(gNewlineW, 0, sizeof gNewlineW);
    lstrcpyW(gNewlineW, QP_TEXT("\r\n"));
    if (newlineMode < 0 || newlineMode > 2) return;
    lstrcpyW(gNewlineW, kWide[newlineMode]);
    std::memset(gNewlineA, 0, sizeof gNewlineA);
    std::strcpy(gNewlineA, kBytes[newlineMode]);
}

}  // namespace

bool initSession(const WCHAR* path, const WCHAR* prefix, int32_t stampMode, int32_t newlineMode,
                 int32_t logSleep, int32_t logLevel, int32_t bom) {
    if (!allocateSession()) {
        showBox(msg::kInitNoMemory, msg::kInitFatalTitle);
        return false;
    }
    if (gInitDone) {
        showBox(msg::kAlreadyInit, msg::kAlreadyInitTitle);
        return false;
    }
    if (!checkText(msg::kLogInitPath, path, 1024)) return false;
    if (!checkText(msg::kLogInitPrefix, prefix, 510)) return false;
    LogContext& ctx = *gLogCtx;
    ctx.logSleep = logSleep;
    ctx.logLevel = logLevel;
    ctx.bom = bom;
    ctx.stampMode = stampMode;
    ctx.newlineMode = newlineMode;
    setTerminators(newlineMode);
    lstrcpyW(ctx.path, path);  // both lengths were checked against the fields above
    lstrcpyW(ctx.prefix, prefix);
    if (!logFileOpen()) {
        formatWide(gMsgBufW, kWideBufUnits, msg::kInitFatal, ctx.path);
        showBox(gMsgBufW, msg::kInitFatalTitle);
        std::memset(gMsgBufW, 0, kWideBufBytes);
        return false;
    }
    logLine(msg::kStartLine, ctx.prefix, ctx.logFilePath);
    gInitDone = 1;
    refreshGate();
    return true;
}

void termSession() {
    if (logFileIsOpen()) {
        logLine(msg::kEndLine, gLogCtx->prefix);
        logFileClose();
    }
    releaseSession();
    gInitDone = 0;  // a new session may follow
    refreshGate();
}

bool bufSizCheck(const WCHAR* func, int32_t maxSize, int32_t dataSize) {
    if (maxSize >= dataSize) return true;
    if (!logFileIsOpen()) {
        WCHAR text[256];
        formatWide(text, static_cast<int>(std::size(text)), msg::kSizeBox, func, maxSize, dataSize);
        showBox(text, msg::kSizeBoxTitle);
        return false;
    }
    logSyslog(kError, msg::kSizeLine, func, maxSize, dataSize);
    // Discards whatever the refused call had begun to compose.
    std::memset(gOutBufA, 0, kOutBufBytes);
    for (WCHAR* buf : {gMsgBufW, gLineBufW, gSysMsgW}) std::memset(buf, 0, kWideBufBytes);
    std::memset(gSysOutA, 0, kSysOutBytes);
    return false;
}

bool checkText(const WCHAR* func, const WCHAR* text, int32_t maxBytes, int* units) {
    if (text) {
        const int length = wideLength(text);
        if (units) *units = length;
        // Lengths beyond what 32 bits of bytes can say are refused as the largest size.
        int32_t bytes = length > 0x3FFFFFFF ? INT32_MAX : length * 2;
        return bufSizCheck(func, maxBytes, bytes);
    }
    if (!logFileIsOpen()) {
        WCHAR box[256];
        formatWide(box, 256, msg::kNullText, func);
        showBox(box, msg::kSizeBoxTitle);
    } else {
        logSyslog(kError, msg::kNullText, func);
    }
    return false;
}

}  // namespace quillpen
