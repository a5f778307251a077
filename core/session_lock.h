// One process-wide lock around every entry point, so that calls from several threads never
// mix their lines or buffers. The library calls no host code while it holds the lock, so an
// entry point is never reached from inside another and the lock need not be recursive.
// Message boxes are never shown while it is held: a box asked for inside a locked call is
// queued and shown once the lock is released.
#pragma once

#include <cstdint>

#include "platform/seams.h"

namespace quillpen {

class SessionLock {
   public:
    SessionLock();
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;
};

// Whether a writer at `level` could write, as the session stood when the lock was last
// released (exact whenever the lock is free). Lets a filtered or silenced call return
// without waiting for the lock; a call it admits decides again under the lock.
bool writerAdmits(int32_t level);
// Recomputes what writerAdmits answers; called under the lock by every change of the session
// (its start and its end).
void refreshGate();

// An MB_OK box without an owner, shown when the caller's SessionLock is released.
void showBox(const WCHAR* text, const WCHAR* title);

}  // namespace quillpen
