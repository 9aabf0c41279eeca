#include "fsutil/treeRemoval.h"

#include "fsutil/UniqueDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

// Deeper levels than this give up their descriptor while their subfolders are
// worked on and reopen it through ".." afterwards, so the walk never runs out
// of descriptors.
constexpr size_t kMaxOpenLevels = 64;

struct Entry {
    std::string name;
    bool isDirectory;
};

struct Level {
    UniqueFd fd;
    dev_t device;
    ino_t inode;
    std::string nameInParent;
    std::vector<Entry> entries;
    size_t next = 0;
};

// Reads every entry first: removing entries while the stream is read would
// leave it unspecified which entries the stream still yields.
std::vector<Entry> readEntries(int fd) {
    std::vector<Entry> entries;
    int streamFd = dup(fd);
    if (streamFd < 0) return entries;
    UniqueDir dir(fdopendir(streamFd));
    if (!dir) {
        close(streamFd);
        return entries;
    }
    while (const dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            // Some file systems don't report the type: ask for it, without
            // following a link.
            struct stat st;
            isDirectory =
                fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({std::move(name), isDirectory});
    }
    return entries;
}

bool openLevel(UniqueFd fd, std::string nameInParent, Level& level) {
    struct stat st;
    if (fstat(fd.get(), &st) != 0) return false;
    level.device = st.st_dev;
    level.inode = st.st_ino;
    level.entries = readEntries(fd.get());
    level.fd = std::move(fd);
    level.nameInParent = std::move(nameInParent);
    return true;
}

// Gets the parent's descriptor back after it was given up, making sure ".."
// still is the folder it was (the tree may have been moved meanwhile).
bool reopenParent(const Level& child, Level& parent) {
    UniqueFd fd(openat(child.fd.get(), "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd || fstat(fd.get(), &st) != 0 || st.st_dev != parent.device || st.st_ino != parent.inode)
        return false;
    parent.fd = std::move(fd);
    return true;
}

}  // namespace

void emptyOpenDirectory(UniqueFd directory) {
    std::vector<Level> levels(1);
    if (!openLevel(std::move(directory), "", levels.front())) return;

    while (true) {
        Level& level = levels.back();
        if (level.next < level.entries.size()) {
            const Entry& entry = level.entries[level.next++];
            if (!entry.isDirectory) {
                unlinkat(level.fd.get(), entry.name.c_str(), 0);
                continue;
            }
            UniqueFd child(openat(level.fd.get(), entry.name.c_str(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            Level childLevel;
            if (!child || !openLevel(std::move(child), entry.name, childLevel)) {
                // Unreadable (or replaced meanwhile): it can still go when empty.
                unlinkat(level.fd.get(), entry.name.c_str(), AT_REMOVEDIR);
                continue;
            }
            levels.push_back(std::move(childLevel));
            if (levels.size() > kMaxOpenLevels)
                levels[levels.size() - kMaxOpenLevels - 1].fd.reset();
            continue;
        }
        if (levels.size() == 1) return;  // the top folder itself stays

        Level& parent = levels[levels.size() - 2];
        if (!parent.fd && !reopenParent(level, parent)) return;
        std::string name = std::move(level.nameInParent);
        levels.pop_back();
        unlinkat(parent.fd.get(), name.c_str(), AT_REMOVEDIR);
    }
}
