#include "library/removal.h"

#include "fsutil/treeRemoval.h"
#include "library/libraryLock.h"

TrashResult trashInstalledPatch(const std::string& path) {
    const LibraryLock lock;
    return moveToTrash(path);
}

int restoreTrashedPatch(const TrashedItem& trashed) {
    const LibraryLock lock;
    return restoreFromTrash(trashed);
}

int swapBackReplacedCopy(const TrashedItem& trashed) {
    const LibraryLock lock;
    return exchangeWithTrashed(trashed);
}

int removeInstalledPatch(const std::string& path) {
    const LibraryLock lock;
    return removeTree(path, RemovalMode::asOwner);
}
