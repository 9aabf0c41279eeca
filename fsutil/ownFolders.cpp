#include "fsutil/ownFolders.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/folderFlags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace {

constexpr mode_t kOwnerAccess = S_IRWXU;

// The folder `name` of `parentFd` when it is one (not a link) that this
// process's user owns and cannot fully use; its mode in `mode`.
UniqueFd openOwnRestrictedFolder(int parentFd, const char* name, mode_t& mode) {
    // O_PATH opens a folder we may not read, and never through a link.
    UniqueFd folder(openat(parentFd, name, folderFlags::placeNoLink));
    struct stat info;
    if (!folder || fstat(folder.get(), &info) != 0 || info.st_uid != geteuid() ||
        (info.st_mode & kOwnerAccess) == kOwnerAccess)
        return UniqueFd();
    mode = info.st_mode & 07777;
    return folder;
}

// chmod on the very folder held open: a name could meanwhile lead elsewhere.
bool changeMode(const UniqueFd& folder, mode_t mode) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", folder.get());
    return chmod(path, mode) == 0;
}

}  // namespace

bool grantOwnerAccess(int parentFd, const char* name, mode_t& formerMode) {
    UniqueFd folder = openOwnRestrictedFolder(parentFd, name, formerMode);
    return folder && changeMode(folder, formerMode | kOwnerAccess);
}

int renameOwnFolders(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    if (renameat2(fromDir, from, toDir, to, flags) == 0) return 0;
    const int refused = errno;
    if (refused != EACCES) return refused;

    // Only the folders that move need write access; their parents are not ours to change.
    mode_t fromMode = 0, toMode = 0;
    UniqueFd fromFolder = openOwnRestrictedFolder(fromDir, from, fromMode);
    UniqueFd toFolder =
        flags & RENAME_EXCHANGE ? openOwnRestrictedFolder(toDir, to, toMode) : UniqueFd();
    if (!fromFolder && !toFolder) return refused;
    if (fromFolder) changeMode(fromFolder, fromMode | kOwnerAccess);
    if (toFolder) changeMode(toFolder, toMode | kOwnerAccess);
    const int error = renameat2(fromDir, from, toDir, to, flags) == 0 ? 0 : errno;
    if (fromFolder) changeMode(fromFolder, fromMode);
    if (toFolder) changeMode(toFolder, toMode);
    return error;
}

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
    const int error = renameOwnFolders(fromDir, from, toDir, to, RENAME_NOREPLACE);
    if (error != EINVAL) return error;
    struct stat info;
    if (fstatat(toDir, to, &info, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return renameOwnFolders(fromDir, from, toDir, to, 0);
}
