#include "library/patchLayout.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/folderEntries.h"
#include "fsutil/folderFlags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <utility>

namespace {

std::vector<std::string> sortedNames(int folder) {
    std::vector<std::string> names;
    for (FolderEntry& entry : folderEntries(folder).value_or(std::vector<FolderEntry>()))
        names.push_back(std::move(entry.name));
    std::sort(names.begin(), names.end());
    return names;
}

bool hasKind(int parent, const std::string& name, mode_t kind) {
    struct stat info;
    return fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           (info.st_mode & S_IFMT) == kind;
}

bool isPatchFolder(int parent, const std::string& name) {
    if (name.empty() || name.front() == '.') return false;
    const UniqueFd folder(openat(parent, name.c_str(), folderFlags::readNoLink));
    return folder && hasKind(folder.get(), name + ".pd", S_IFREG);
}

bool allPatchFolders(int parent, const std::vector<std::string>& names) {
    return !names.empty() && std::all_of(names.begin(), names.end(), [&](const std::string& name) {
        return isPatchFolder(parent, name);
    });
}

// Moves every top-level entry into a new folder `stem`. They gather in a
// hidden folder of a name not taken first, so an entry named `stem` moves too.
bool gatherInto(int root, const std::vector<std::string>& names, const std::string& stem) {
    std::string holder;
    for (std::size_t attempt = 0;; ++attempt) {
        holder = ".gathering" + std::to_string(attempt);
        if (mkdirat(root, holder.c_str(), 0755) == 0) break;
        if (errno != EEXIST) return false;
    }
    const UniqueFd held(openat(root, holder.c_str(), folderFlags::readNoLink));
    if (!held || fchmod(held.get(), 0755) != 0) return false;
    for (const std::string& name : names)
        if (renameat(root, name.c_str(), held.get(), name.c_str()) != 0) return false;
    return renameat(root, holder.c_str(), root, stem.c_str()) == 0;
}

}  // namespace

PatchLayout arrangePatches(int rootFd, const std::string& stem, const std::string& archiveName) {
    const std::vector<std::string> top = sortedNames(rootFd);
    if (top.empty()) return {{}, archiveName + ": holds nothing to install"};
    PatchLayout layout;
    if (allPatchFolders(rootFd, top)) {
        for (const std::string& name : top) layout.patchFolders.push_back({name});
        layout.depthInArchive = 1;
        return layout;
    }
    if (top.size() == 1 && hasKind(rootFd, top.front(), S_IFDIR)) {
        const UniqueFd pack(openat(rootFd, top.front().c_str(), folderFlags::readNoLink));
        const std::vector<std::string> inside =
            pack ? sortedNames(pack.get()) : std::vector<std::string>();
        if (allPatchFolders(pack.get(), inside)) {
            for (const std::string& name : inside)
                layout.patchFolders.push_back({top.front(), name});
            layout.depthInArchive = 2;
            return layout;
        }
    }
    const std::string loosePatch = stem + ".pd";
    if (!stem.empty() && stem.front() != '.' && hasKind(rootFd, loosePatch, S_IFREG)) {
        if (!gatherInto(rootFd, top, stem))
            return {{}, archiveName + ": cannot gather its files in a folder " + quotedName(stem)};
        layout.patchFolders.push_back({stem});
        return layout;
    }
    return {{}, archiveName + ": no patch folder and no " + quotedName(loosePatch) + " at the top"};
}
