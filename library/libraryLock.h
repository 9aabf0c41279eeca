#pragma once

// Serialises the writes of every importer (every process, every user, every
// thread) on one library folder: an advisory lock (flock) on a descriptor of
// the library folder itself, so no lock file is added to the library. Whoever
// holds it is the only one staging, replacing or deleting patches.

#include <functional>

#include "fsutil/UniqueFd.h"

class LibraryLock {
public:
    // Waits as long as another importer holds the lock. A library folder that
    // can't be opened is not locked: nothing can be written into it anyway.
    LibraryLock();
    // The same, but a wait that can be given up: while another importer holds
    // the lock, `waiting` is called once and `cancelled` asked about every
    // 50 ms; when it says true, the lock is not taken (see gaveUp).
    LibraryLock(const std::function<bool()>& cancelled, const std::function<void()>& waiting);
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    // True when the wait was given up, so the lock is not held.
    bool gaveUp() const { return gaveUp_; }

private:
    // Closing the descriptor releases the lock.
    UniqueFd folder_;
    bool gaveUp_ = false;
};
