#include "fsutil/ofxFileUtils.h"
#include "fsutil/visibleEntries.h"
#include "library/VQAUUtils.h"
#include "library/removal.h"

#include <string_view>

namespace {
// One list for the whole run: holders keep its address and read the latest load.
std::vector<std::string> patchPaths;
}  // namespace

// Lists the type directory as ofxDirList does (same entries, order, paths
// and message), keeping the folders. An entry that reports itself a folder is
// one, and one that reports another kind of file is not; only links and
// entries of unreported kind need ofxIsDirectory, which follows a link to a
// folder and says "File not found" for a dangling one. With thousands of
// patches, that saves a stat per patch.
std::vector<std::string> listPatchFolders(const char* typeDir) {
    std::vector<std::string> folders;
    std::string directory = typeDir;
    if (!directory.empty() && directory.back() != '/') directory += '/';
    forEachVisibleEntry(directory, [&](std::string_view name, EntryKind kind) {
        if (kind == EntryKind::other) return;
        std::string path = directory + std::string(name);
        if (kind == EntryKind::directory || ofxIsDirectory(path))
            folders.push_back(std::move(path));
    });
    return folders;
}

void findPatches(const char* typeDir) {
    patchPaths = listPatchFolders(typeDir);
}

std::vector<std::string>* loadPatches(const char* typeDir) {
    findPatches(typeDir);
    return &patchPaths;
}

// A listed link to a folder elsewhere loses only the link: the removal never
// follows it.
void uninstallPatch(const char* path) {
    removeInstalledPatch(path);
}
