#include "library/staging.h"

#include "fsutil/treeRemoval.h"
#include "fsutil/visibleEntries.h"

#include <cerrno>
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

void clearStagingLeftovers(const char* typeDir) {
    const std::string directory = typeDir;
    // Collected first: removing entries while the folder is read would leave
    // it unspecified which entries the reading still yields.
    std::vector<std::string> leftovers;
    forEachEntry(directory, [&](std::string_view name, EntryKind) {
        if (name.starts_with(kPrefix) || name == kEarlierStaging)
            leftovers.push_back(directory + "/" + std::string(name));
    });
    for (const std::string& leftover : leftovers) removeTree(leftover, RemovalMode::asOwner);
}
