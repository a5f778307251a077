// The one log session of the process and the scratch buffers its writers share.
// Every function here expects the session lock to be held (core/session_lock.h).
#pragma once

#include <cstdint>

#include "platform/seams.h"

namespace quillpen {

constexpr int kWideBufUnits = 4224;  // room of gMsgBufW, gLineBufW, gSysMsgW (8448 bytes)
constexpr int kOutBufBytes = 9216;   // gOutBufA
constexpr int kSysOutBytes = 8448;   // gSysOutA
constexpr int kFieldUnits = 520;     // path, prefix and logFilePath, NUL included
constexpr int32_t kMaxFormatBytes = 8190;

struct LogContext {
    HANDLE hFile;
    int32_t logLevel;
    WCHAR path[kFieldUnits];
    WCHAR prefix[kFieldUnits];
    WCHAR logFilePath[kFieldUnits];
    int32_t logSleep;
    int32_t stampMode;
    int32_t newlineMode;
    int32_t bom;
};

extern LogContext* gLogCtx;
extern int32_t gInitDone;
extern WCHAR* gMsgBufW;
extern WCHAR* gLineBufW;
extern WCHAR* gSysMsgW;
extern char* gOutBufA;
extern char* gSysOutA;
extern WCHAR gNewlineW[8];
extern char gNewlineA[16];

// A session exists and its file is open.
bool fileOpen();
// A session exists, its file is open and LOG_SLEEP is off: a writer may write.
bool writerReady();

// The argument length guard: true when dataSize <= maxSize, otherwise reports the refusal
// (a box without an open file, a [SYSLOG] line with one) and returns false.
bool bufSizCheck(const WCHAR* func, int32_t maxSize, int32_t dataSize);
// bufSizCheck on the byte size of a text (units x 2); a null text is refused and reported.
// `units`, when given, receives the text's length for a caller that needs it next.
bool checkText(const WCHAR* func, const WCHAR* text, int32_t maxBytes, int* units = nullptr);

// Opens the dated log file of the session record; false after showing why.
bool logOpen();

}  // namespace quillpen
