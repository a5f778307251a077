// Test seams. The library's code lives in namespace quillpen, so an unqualified call to one
// of the names below finds this wrapper before the system's function of the same name.
// Each wrapper calls the system unless a test has installed a replacement. Nothing here is
// exported from the shared library.
#pragma once

#include "platform/platform.h"

namespace quillpen {

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition,
                      DWORD method);
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL memory);
__time64_t _time64(__time64_t* now);
long long _Xtime_get_ticks();

namespace seams {

using MessageBoxFn = int (*)(HWND, LPCWSTR, LPCWSTR, UINT);
using WriteFileFn = BOOL (*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using SetFilePointerExFn = BOOL (*)(HANDLE, LARGE_INTEGER, PLARGE_INTEGER, DWORD);

// Replaces MessageBoxW; nullptr restores the system's.
void setMessageBox(MessageBoxFn fn);
// Replaces WriteFile; nullptr restores the system's.
void setWriteFile(WriteFileFn fn);
// Replaces SetFilePointerEx; nullptr restores the system's.
void setSetFilePointerEx(SetFilePointerExFn fn);
// Freezes the clock at `ticks` (100 ns since 1970, UTC); _time64 follows it.
void setFakeTicks(long long ticks);
void clearFakeClock();
// Calls of GlobalAlloc since the process started, and blocks not yet freed.
long long globalAllocCount();
long long liveGlobalBlocks();
// The call of GlobalAlloc whose count (as globalAllocCount gives it before the call) is
// `call` fails as an exhausted heap does; -1 lets every call through.
void failGlobalAllocCall(long long call);

}  // namespace seams
}  // namespace quillpen
