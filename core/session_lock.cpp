#include "core/session_lock.h"

#include <cstring>

namespace quillpen {
namespace {
// Box texts are at most a path, a system text and a sentence; longer ones are cut.
constexpr int kBoxTextUnits = 2048;
constexpr int kBoxTitleUnits = 128;
constexpr int kMaxQueuedBoxes = 4;  // a failed logInit shows three

struct QueuedBox {
    WCHAR text[kBoxTextUnits];
    WCHAR title[kBoxTitleUnits];
};

SRWLOCK gSessionLock = SRWLOCK_INIT;
thread_local int tLockDepth = 0;
QueuedBox gQueue[kMaxQueuedBoxes];
int gQueued = 0;

void copyCut(WCHAR* dst, const WCHAR* src, int room) {
    int n = 0;
    for (; src && src[n] && n < room - 1; ++n) dst[n] = src[n];
    dst[n] = 0;
}
}  // namespace

SessionLock::SessionLock() {
    // A nested lock (an entry point reached from inside another) is already held.
    if (tLockDepth++ == 0) AcquireSRWLockExclusive(&gSessionLock);
}

SessionLock::~SessionLock() {
    if (--tLockDepth != 0) return;
    QueuedBox boxes[kMaxQueuedBoxes];
    int count = gQueued;
    if (count) std::memcpy(boxes, gQueue, sizeof(QueuedBox) * count);
    gQueued = 0;
    ReleaseSRWLockExclusive(&gSessionLock);
    for (int i = 0; i < count; ++i) MessageBoxW(nullptr, boxes[i].text, boxes[i].title, MB_OK);
}

void showBox(const WCHAR* text, const WCHAR* title) {
    if (tLockDepth == 0) {
        MessageBoxW(nullptr, text, title, MB_OK);
        return;
    }
    if (gQueued == kMaxQueuedBoxes) return;
    copyCut(gQueue[gQueued].text, text, kBoxTextUnits);
    copyCut(gQueue[gQueued].title, title, kBoxTitleUnits);
    ++gQueued;
}

}  // namespace quillpen
