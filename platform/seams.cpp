#include "platform/seams.h"

#include <atomic>

namespace quillpen {
namespace {
std::atomic<seams::MessageBoxFn> gMessageBoxFn{nullptr};
std::atomic<seams::WriteFileFn> gWriteFileFn{nullptr};
std::atomic<seams::SetFilePointerExFn> gSetFilePointerExFn{nullptr};
std::atomic<bool> gClockFaked{false};
std::atomic<long long> gFakeTicks{0};
std::atomic<long long> gAllocCount{0};
std::atomic<long long> gLiveBlocks{0};
std::atomic<long long> gFailingAlloc{-1};

constexpr long long kTicksPerSecond = 10000000;
}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (auto fn = gMessageBoxFn.load()) return fn(owner, text, caption, type);
    return ::MessageBoxW(owner, text, caption, type);
}

BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
    if (auto fn = gWriteFileFn.load()) return fn(file, bytes, count, written, overlapped);
    return ::WriteFile(file, bytes, count, written, overlapped);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition,
                      DWORD method) {
    if (auto fn = gSetFilePointerExFn.load()) return fn(file, distance, newPosition, method);
    return ::SetFilePointerEx(file, distance, newPosition, method);
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (gAllocCount.fetch_add(1) == gFailingAlloc.load()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HGLOBAL block = ::GlobalAlloc(flags, bytes);
    if (block) gLiveBlocks.fetch_add(1);
    return block;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    if (memory) gLiveBlocks.fetch_sub(1);
    return ::GlobalFree(memory);
}

__time64_t _time64(__time64_t* now) {
    if (!gClockFaked.load(std::memory_order_relaxed)) return ::_time64(now);
    // Floor division, so instants before 1970 still land in the right second.
    long long ticks = gFakeTicks.load();
    __time64_t seconds = ticks / kTicksPerSecond - (ticks % kTicksPerSecond < 0 ? 1 : 0);
    if (now) *now = seconds;
    return seconds;
}

long long _Xtime_get_ticks() {
    if (gClockFaked.load(std::memory_order_relaxed)) return gFakeTicks.load();
    return ::_Xtime_get_ticks();
}

namespace seams {
void setMessageBox(MessageBoxFn fn) { gMessageBoxFn = fn; }
void setWriteFile(WriteFileFn fn) { gWriteFileFn = fn; }
void setSetFilePointerEx(SetFilePointerExFn fn) { gSetFilePointerExFn = fn; }
void setFakeTicks(long long ticks) {
    gFakeTicks = ticks;
    gClockFaked = true;
}
void clearFakeClock() { gClockFaked = false; }
long long globalAllocCount() { return gAllocCount.load(); }
long long liveGlobalBlocks() { return gLiveBlocks.load(); }
void failGlobalAllocCall(long long call) { gFailingAlloc = call; }
}  // namespace seams
}  // namespace quillpen
