#include "library/placement.h"

#include "fsutil/ownFolders.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>

namespace {
bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS;
}
}  // namespace

int placeNew(const std::string& staged, const std::string& destination) {
    const int error = renameOwnFolders(staged.c_str(), destination.c_str(), RENAME_NOREPLACE);
    if (!unsupported(error)) return error;
    // Without RENAME_NOREPLACE a rename would replace an empty folder there.
    struct stat info;
    if (lstat(destination.c_str(), &info) == 0) return EEXIST;
    return renameOwnFolders(staged.c_str(), destination.c_str(), 0);
}

int swapWithEarlier(const std::string& staged, const std::string& destination) {
    const int error = renameOwnFolders(staged.c_str(), destination.c_str(), RENAME_EXCHANGE);
    return unsupported(error) ? swapByRenames(staged, destination) : error;
}

int swapByRenames(const std::string& staged, const std::string& destination) {
    // Beside the staged copy, so inside its staging folder.
    const std::string aside = staged + ".earlier";
    if (int error = renameOwnFolders(destination.c_str(), aside.c_str(), 0)) return error;
    if (int error = renameOwnFolders(staged.c_str(), destination.c_str(), 0)) {
        renameOwnFolders(aside.c_str(), destination.c_str(), 0);
        return error;
    }
    // The new copy is in place: the install stands even should this fail.
    renameOwnFolders(aside.c_str(), staged.c_str(), 0);
    return 0;
}
