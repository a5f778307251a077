// Time-stamped lines and the library's own [SYSLOG] lines.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "core/state.h"
#include "platform/seams.h"

namespace quillpen {

// [SYSLOG] level codes.
enum SyslogCode : int32_t {
    kFatal = 0,
    kCretical = 1,
    kError = 2,
    kWarning = 3,
    kInfo = 4,
    kDebug = 5,
};

// A line composed in gOutBufA, waiting for its one WriteFile.
struct PendingLine {
    bool ready;  // false: nothing to write (no writer, a mode without lines, refused already)
    int length;  // bytes; below 0 for a line that did not fit, which its write refuses
    int used;    // bytes of gOutBufA to clear after the write (all of it when below 0)
};

// Composes one time-stamped line from `format` and its arguments, as _log writes it;
// `label` names the format argument in a refusal, which is written here. Nothing is ready
// without a ready writer.
PendingLine composeStampedLine(const WCHAR* label, const WCHAR* format, va_list args);
void clearPendingLine(const PendingLine& line);

// Writes `length` bytes of UTF-8 (a line) with one WriteFile; a line over 8190 bytes, or
// one that did not fit its buffer (length < 0), is refused with a CRETICAL [SYSLOG] line.
// Callers have checked that a writer is ready. True when WriteFile wrote it.
//
// Inline, like writePendingLine, so that a writer export makes its line's system call from
// its own frame: after a system call, a return into each frame made before it is
// mispredicted (about 7 ns apiece here), and every line makes one.
void refuseLine();
inline bool logWrite(const char* bytes, int length) {
    if (length < 0 || length > kMaxFormatBytes) {
        refuseLine();
        return false;
    }
    if (length == 0) return true;
    DWORD written = 0;
    return WriteFile(gLogCtx->hFile, bytes, static_cast<DWORD>(length), &written, nullptr) != FALSE;
}

// Writes a composed line and clears what it used of gOutBufA.
inline void writePendingLine(const PendingLine& line) {
    if (!line.ready) return;
    logWrite(gOutBufA, line.length);
    clearPendingLine(line);
}

// A whole line under the _log label, for the library's own lines.
void logLine(const WCHAR* format, ...);

// Puts the session's stamp before the message in gMsgBufW and the terminator after it,
// into gLineBufW. Returns the line's length in units, 0 when the stamp mode writes no
// line, -1 when the line does not fit the buffer.
int logFormatLine(int32_t stampMode, DWORD threadId);

// The session's stamp for a line of `stampMode` as bytes (ASCII), or nullptr for a mode
// whose stamp is not a fixed layout (1) or that writes no line.
const char* lineStamp(int32_t stampMode, int& bytes);

// A [SYSLOG] line: the banner of `code`, a blank, the message, the terminator. Written only
// while logLevel >= 0, LOG_SLEEP is off and the file is open; callable at any time.
void logSyslog(int32_t code, const WCHAR* format, ...);
void vlogSyslog(int32_t code, const WCHAR* format, va_list args);

}  // namespace quillpen
