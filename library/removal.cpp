#include "library/removal.h"

#include "fsutil/treeRemoval.h"
#include "library/VQAUUtils.h"
#include "library/libraryLock.h"
#include "library/placement.h"
#include "library/staging.h"

#include <sys/stat.h>
#include <cerrno>

namespace {

bool standsAt(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// Where the trash that holds an item lies on another file system than the
// library (the item was copied there), it comes back by a copy: into a
// staging folder first, so that only a complete copy takes its place.
int restoreByCopy(const TrashedItem& trashed) {
    const std::string& original = trashed.originalPath;
    const char* typeDir = typeDirOf(original);
    if (!typeDir) return EXDEV;
    if (standsAt(original)) return EEXIST;
    StagingFolder staging(typeDir);
    if (!staging) return staging.error();
    const std::string staged = staging.path(getFileName(original));
    if (int error = copyOutOfTrash(trashed, staged)) return error;
    if (int error = placeNew(staged, original)) return error;
    removeFromTrash(trashed);
    return 0;
}

// The same for undoing a replace: the copy from the trash takes the newer
// copy's place in one step, and the newer copy goes to the trash; should the
// trash not take it, the two are exchanged back.
int swapBackByCopy(TrashedItem& trashed) {
    const std::string& original = trashed.originalPath;
    const char* typeDir = typeDirOf(original);
    if (!typeDir) return EXDEV;
    if (!standsAt(original)) return restoreByCopy(trashed);
    StagingFolder staging(typeDir);
    if (!staging) return staging.error();
    const std::string staged = staging.path(getFileName(original));
    if (int error = copyOutOfTrash(trashed, staged)) return error;
    if (int error = swapWithEarlier(staged, original)) return error;
    const TrashResult newer = moveToTrash(staged, original);
    if (!newer) {
        // `staged` holds the newer copy: it stays unless it is back in place.
        if (swapWithEarlier(staged, original) != 0) staging.keep();
        return newer.error;
    }
    removeFromTrash(trashed);
    trashed = newer.item;
    return 0;
}

}  // namespace

TrashResult trashInstalledPatch(const std::string& path) {
    const LibraryLock lock;
    return moveToTrash(path);
}

int restoreTrashedPatch(const TrashedItem& trashed) {
    const LibraryLock lock;
    const int error = restoreFromTrash(trashed);
    return error == EXDEV ? restoreByCopy(trashed) : error;
}

int swapBackReplacedCopy(TrashedItem& trashed) {
    const LibraryLock lock;
    const int error = exchangeWithTrashed(trashed);
    return error == EXDEV ? swapBackByCopy(trashed) : error;
}

int removeInstalledPatch(const std::string& path) {
    const LibraryLock lock;
    return removeTree(path, RemovalMode::asOwner);
}
