#include "library/placement.h"

#include "fsutil/ownFolders.h"

#include <fcntl.h>
#include <cerrno>
#include <cstdio>

namespace {
int moveEntry(const std::string& from, const std::string& to, unsigned flags = 0) {
    return renameOwnFolders(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags);
}
}  // namespace

int placeNew(const std::string& staged, const std::string& destination) {
    return renameNoReplace(AT_FDCWD, staged.c_str(), AT_FDCWD, destination.c_str());
}

int swapWithEarlier(const std::string& staged, const std::string& destination) {
    const int error = moveEntry(staged, destination, RENAME_EXCHANGE);
    // File systems without the exchange say EINVAL.
    return error == EINVAL || error == ENOSYS ? swapByRenames(staged, destination) : error;
}

int swapByRenames(const std::string& staged, const std::string& destination) {
    // Beside the staged copy, so inside its staging folder.
    const std::string aside = staged + ".earlier";
    if (int error = moveEntry(destination, aside)) return error;
    if (int error = moveEntry(staged, destination)) {
        moveEntry(aside, destination);
        return error;
    }
    // The new copy is in place: the install stands even should this fail.
    moveEntry(aside, staged);
    return 0;
}
