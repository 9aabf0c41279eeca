#include "library/staging.h"

#include "fsutil/trash.h"
#include "fsutil/treeRemoval.h"
#include "fsutil/visibleEntries.h"
#include "library/trashFailure.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {
constexpr std::string_view kPrefix = ".veltrano-staging-";
// The one staging folder that earlier versions of the importer shared.
constexpr std::string_view kEarlierStaging = ".installing";
}  // namespace

StagingFolder::StagingFolder(const char* typeDir) {
    std::string pattern = std::string(typeDir) + "/" + std::string(kPrefix) + "XXXXXX";
    if (mkdtemp(pattern.data()))
        path_ = std::move(pattern);
    else
        error_ = errno;
}

StagingFolder::~StagingFolder() {
    if (!path_.empty()) removeTree(path_, RemovalMode::asOwner);
}

namespace {

// Entries are collected before anything moves: moving entries while a folder
// is read would leave it unspecified which entries the reading still yields.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    forEachEntry(folder, [&names](std::string_view name, EntryKind) { names.emplace_back(name); });
    return names;
}

}  // namespace

void clearStagingLeftovers(const char* typeDir) {
    const std::string directory = typeDir;
    for (const std::string& name : namesIn(directory)) {
        if (!name.starts_with(kPrefix) && name != kEarlierStaging) continue;
        const std::string leftover = directory + "/" + name;
        // An install killed right after its exchange left the earlier copy of
        // a patch here, so what a leftover folder holds goes to the trash, as
        // what stood in the type directory under its name; hidden entries
        // are an install's own scratch (an archive being extracted).
        bool kept = false;
        struct stat info;
        if (lstat(leftover.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            for (const std::string& entry : namesIn(leftover)) {
                if (entry.starts_with(".")) continue;
                const TrashResult trashed =
                    moveToTrash(leftover + "/" + entry, directory + "/" + entry);
                if (trashed) continue;
                std::printf("%s: kept, “%s” can't go to the trash: %s\n", leftover.c_str(),
                            entry.c_str(), trashErrorText(trashed).c_str());
                kept = true;
            }
        }
        if (!kept) removeTree(leftover, RemovalMode::asOwner);
    }
}
