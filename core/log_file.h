// The session's log file: the only code that opens, writes and closes it.
#pragma once

#include "core/session.h"

namespace quillpen {

// Opens the dated log file of the session record (creating its directory, or reopening the
// day's file at its end); false after showing why in boxes.
bool logFileOpen();

// A session exists and its file is open.
inline bool logFileIsOpen() {
    return gLogCtx && gLogCtx->hFile != nullptr && gLogCtx->hFile != INVALID_HANDLE_VALUE;
}

// The file is open and LOG_SLEEP is off: a writer may write.
inline bool writerReady() { return logFileIsOpen() && gLogCtx->logSleep == 0; }

// Writes `length` bytes with one WriteFile; nothing for a length of 0 or less. A failed
// write is not reported: the caller's line is lost, and the next one is tried as usual.
void logFileWrite(const char* bytes, int length);

// Closes the file; the record keeps no handle.
void logFileClose();

}  // namespace quillpen
