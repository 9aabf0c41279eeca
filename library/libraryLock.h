#pragma once

// Serialises the writes of every importer (every process, every user, every
// thread) on one library folder: an advisory lock (flock) on a descriptor of
// the library folder itself, so no lock file is added to the library. Whoever
// holds it is the only one staging, replacing or deleting patches.

#include "fsutil/UniqueFd.h"

class LibraryLock {
public:
    // Waits as long as another importer holds the lock. A library folder that
    // can't be opened is not locked: nothing can be written into it anyway.
    LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

private:
    // Closing the descriptor releases the lock.
    UniqueFd folder_;
};
