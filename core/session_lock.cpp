#include "core/session_lock.h"

#include <atomic>
#include <climits>
#include <cstring>

#include "core/log_file.h"
#include "core/session.h"

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
QueuedBox gQueue[kMaxQueuedBoxes];  // only touched under the lock
int gQueued = 0;

// The least level a writer may write at: the session's logLevel while a writer is ready,
// below every level otherwise. The session changes only under the lock, and refreshes the
// gate when it does, so the gate is exact whenever the lock is free.
constexpr int64_t kGateClosed = INT64_MIN;
std::atomic<int64_t> gGate{kGateClosed};

// Takes the queued boxes, releases the lock and shows them.
void releaseAndShowBoxes() {
    QueuedBox boxes[kMaxQueuedBoxes];
    const int count = gQueued;
    std::memcpy(boxes, gQueue, sizeof(QueuedBox) * count);
    gQueued = 0;
    ReleaseSRWLockExclusive(&gSessionLock);
    for (int i = 0; i < count; ++i) MessageBoxW(nullptr, boxes[i].text, boxes[i].title, MB_OK);
}

void copyCut(WCHAR* dst, const WCHAR* src, int room) {
    int n = 0;
    for (; src && src[n] && n < room - 1; ++n) dst[n] = src[n];
    dst[n] = 0;
}
}  // namespace

SessionLock::SessionLock() { AcquireSRWLockExclusive(&gSessionLock); }

SessionLock::~SessionLock() {
    if (gQueued == 0) {
        ReleaseSRWLockExclusive(&gSessionLock);
        return;
    }
    releaseAndShowBoxes();
}

bool writerAdmits(int32_t level) { return gGate.load(std::memory_order_acquire) >= level; }

void refreshGate() {
    gGate.store(writerReady() ? gLogCtx->logLevel : kGateClosed, std::memory_order_release);
}

void showBox(const WCHAR* text, const WCHAR* title) {
    if (gQueued == kMaxQueuedBoxes) return;
    copyCut(gQueue[gQueued].text, text, kBoxTextUnits);
    copyCut(gQueue[gQueued].title, title, kBoxTitleUnits);
    ++gQueued;
}

}  // namespace quillpen
