// The session's log file: the only code that opens, writes and closes it.
#pragma once

#include "platform/platform.h"

namespace quillpen {

// Opens the dated log file of the session record (creating its directory, or reopening the
// day's file at its end); false after showing why in boxes.
bool logFileOpen();

// A session exists and its file is open.
bool logFileIsOpen();

// Writes `length` bytes with one WriteFile; nothing for a length of 0 or less. A failed
// write is not reported: the caller's line is lost, and the next one is tried as usual.
bool logFileWrite(const char* bytes, int length);

// Closes the file; the record keeps no handle.
void logFileClose();

}  // namespace quillpen
