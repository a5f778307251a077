// The one log session of the process: every process-wide variable of the library, with who
// writes it. All of them are read and written under the session lock (core/session_lock.h),
// which keeps its own state (the lock, its gate, the queued boxes) to itself.
#pragma once

#include <cstdint>
#include <ctime>

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

// The record and the five scratch buffers: allocated zero-filled by logInit, released by
// logTerm (session.cpp). Each writer leaves what it used of a buffer zeroed again.
extern LogContext* gLogCtx;
extern int32_t gInitDone;  // set by a logInit that succeeded, cleared by logTerm
extern WCHAR* gMsgBufW;    // texts of logInit's boxes
// gLineBufW and gSysMsgW belong to every session (logInit allocates them, and fails when it
// cannot), but no writer composes in them: lines go straight into gOutBufA and gSysOutA.
extern WCHAR* gLineBufW;
extern WCHAR* gSysMsgW;
extern char* gOutBufA;  // time-stamped lines, dumps and tables
extern char* gSysOutA;  // [SYSLOG] lines, table labels
// Terminators of time-stamped and [SYSLOG] lines, and of dump and table lines: set by
// logInit from its newline mode.
extern WCHAR gNewlineW[8];
extern char gNewlineA[16];

// Where elapsedSeconds measures from: set by writers in stamp mode 1 and by the decode
// table before the work they time.
extern int64_t gElapsedStart;

// The stamp of the last time-stamped line (stamp.cpp): a function of the stamp mode and the
// second, so the lines of one second share it.
struct StampCache {
    int32_t mode;
    __time64_t second;
    bool valid;
    int length;
    char text[96];  // kMaxStampBytes (core/stamp.h)
};
extern StampCache gStamp;

// The stopwatch (profileTimeStart, profileTimeStop): its label and start mark.
constexpr int kProfPrefixUnits = 260;
extern WCHAR gProfPrefix[kProfPrefixUnits];
extern int64_t gProfStart;

// Opens the session: the record, the buffers, the terminators and the log file. False after
// showing why in a box.
bool initSession(const WCHAR* path, const WCHAR* prefix, int32_t stampMode, int32_t newlineMode,
                 int32_t logSleep, int32_t logLevel, int32_t bom);
// Closes the file with the session's end line and releases everything; a new one may follow.
void termSession();

// The argument length guard: true when dataSize <= maxSize, otherwise reports the refusal
// (a box without an open file, a [SYSLOG] line with one) and returns false.
bool bufSizCheck(const WCHAR* func, int32_t maxSize, int32_t dataSize);
// bufSizCheck on the byte size of a text (units x 2); a null text is refused and reported.
// `units`, when given, receives the text's length for a caller that needs it next.
bool checkText(const WCHAR* func, const WCHAR* text, int32_t maxBytes, int* units = nullptr);

}  // namespace quillpen
