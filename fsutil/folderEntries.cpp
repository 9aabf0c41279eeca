#include "fsutil/folderEntries.h"

#include "fsutil/UniqueDir.h"
#include "fsutil/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

std::optional<std::vector<FolderEntry>> folderEntries(int folder) {
    // The stream closes the descriptor it reads; the caller keeps its own.
    UniqueFd streamFd(fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!streamFd) return std::nullopt;
    const UniqueDir stream(fdopendir(streamFd.get()));
    if (!stream) return std::nullopt;
    streamFd.release();
    rewinddir(stream.get());
    std::vector<FolderEntry> entries;
    while (const dirent* entry = readdir(stream.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            // Some file systems don't report the kind: ask, without following a link.
            struct stat st;
            isFolder = fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(st.st_mode);
        }
        entries.push_back({std::string(name), isFolder});
    }
    return entries;
}
