#include "fsutil/treeRemoval.h"

#include "fsutil/folderEntries.h"
#include "fsutil/folderFlags.h"
#include "fsutil/mountId.h"
#include "fsutil/ownFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <vector>

namespace {

// Deeper levels than this give up their descriptor while their subfolders are
// worked on and reopen it through ".." afterwards, so the walk never runs out
// of descriptors.
constexpr size_t kMaxOpenLevels = 64;

struct Level {
    UniqueFd fd;
    dev_t device;
    ino_t inode;
    std::string nameInParent;
    std::vector<FolderEntry> entries;
    size_t next = 0;
};

// Keeps the first error of a walk that goes on after each one.
class FirstError {
public:
    void note(int error) {
        if (error_ == 0) error_ = error;
    }
    int get() const { return error_; }

private:
    int error_ = 0;
};

bool openLevel(UniqueFd fd, std::string nameInParent, Level& level) {
    struct stat st;
    if (fstat(fd.get(), &st) != 0) return false;
    level.device = st.st_dev;
    level.inode = st.st_ino;
    level.entries = folderEntries(fd.get()).value_or(std::vector<FolderEntry>());
    level.fd = std::move(fd);
    level.nameInParent = std::move(nameInParent);
    return true;
}

// Gets the parent's descriptor back after it was given up, making sure ".."
// still is the folder it was (the tree may have been moved meanwhile).
bool reopenParent(const Level& child, Level& parent) {
    UniqueFd fd(openat(child.fd.get(), "..", folderFlags::readNoLink));
    struct stat st;
    if (!fd || fstat(fd.get(), &st) != 0 || st.st_dev != parent.device || st.st_ino != parent.inode)
        return false;
    parent.fd = std::move(fd);
    return true;
}

void removeEntry(int parentFd, const std::string& name, int flags, FirstError& error) {
    if (unlinkat(parentFd, name.c_str(), flags) != 0) error.note(errno);
}

// The subfolder `name` of `parent`, open, when the walk may enter it: it can
// be opened (after getting the owner's access, in that mode) and lies on the
// walk's own mount.
UniqueFd enterableFolder(int parentFd, const std::string& name, std::uint64_t mount,
                         RemovalMode mode, FirstError& error) {
    mode_t formerMode;
    if (mode == RemovalMode::asOwner) grantOwnerAccess(parentFd, name.c_str(), formerMode);
    UniqueFd child(openat(parentFd, name.c_str(), folderFlags::readNoLink));
    if (!child) {
        error.note(errno);
        return child;
    }
    if (mountIdOf(child.get()) != mount) {
        error.note(EBUSY);
        return UniqueFd();
    }
    return child;
}

}  // namespace

int emptyOpenDirectory(UniqueFd directory, RemovalMode mode) {
    FirstError error;
    const std::uint64_t mount = mountIdOf(directory.get());
    std::vector<Level> levels(1);
    if (!openLevel(std::move(directory), "", levels.front())) return errno;

    while (true) {
        Level& level = levels.back();
        if (level.next < level.entries.size()) {
            const FolderEntry& entry = level.entries[level.next++];
            if (!entry.isFolder) {
                removeEntry(level.fd.get(), entry.name, 0, error);
                continue;
            }
            UniqueFd child = enterableFolder(level.fd.get(), entry.name, mount, mode, error);
            Level childLevel;
            if (!child || !openLevel(std::move(child), entry.name, childLevel)) {
                // Unreadable, mounted or replaced meanwhile: it can still go when
                // empty (a mount point never does).
                unlinkat(level.fd.get(), entry.name.c_str(), AT_REMOVEDIR);
                continue;
            }
            levels.push_back(std::move(childLevel));
            if (levels.size() > kMaxOpenLevels)
                levels[levels.size() - kMaxOpenLevels - 1].fd.reset();
            continue;
        }
        if (levels.size() == 1) return error.get();  // the top folder itself stays

        Level& parent = levels[levels.size() - 2];
        if (!parent.fd && !reopenParent(level, parent)) {
            error.note(ESTALE);
            return error.get();
        }
        std::string name = std::move(level.nameInParent);
        levels.pop_back();
        removeEntry(parent.fd.get(), name, AT_REMOVEDIR, error);
    }
}

int removeTree(const std::string& path, RemovalMode mode) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno;
    // A link to a folder is removed itself; the folder it points to may lie
    // outside the library and is never entered.
    if (S_ISLNK(st.st_mode)) return unlink(path.c_str()) == 0 ? 0 : errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;

    FirstError error;
    mode_t formerMode;
    if (mode == RemovalMode::asOwner) grantOwnerAccess(AT_FDCWD, path.c_str(), formerMode);
    UniqueFd top(open(path.c_str(), folderFlags::readNoLink));
    if (top) {
        // A folder mounted here is another file system's: not ours to empty.
        UniqueFd above(openat(top.get(), "..", folderFlags::readNoLink));
        if (above && mountIdOf(above.get()) != mountIdOf(top.get()))
            error.note(EBUSY);
        else
            error.note(emptyOpenDirectory(std::move(top), mode));
    }
    if (rmdir(path.c_str()) != 0) error.note(errno);
    return error.get();
}
