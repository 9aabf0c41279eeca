// Arbitrary bytes as an archive (every format is tried whatever the name, so
// the name only gives the patch stem "Fuzz"), extracted with small limits
// into a scratch root inside a jail folder. Nothing outside the root may
// change; a failure leaves the root empty; a success gives patch folders
// inside the root, and every link in it resolves inside the root.
// Seeds (fuzz/corpus/archive): small tar, tar.gz and zip archives of the
// layouts, with links, hard links and litter.

#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/check.h"
#include "library/VQAUUtils.h"
#include "library/archiveExtraction.h"

namespace fs = std::filesystem;

namespace {

fs::path jail, root, archivePath;
std::string baitBefore;

bool isInside(const fs::path& path, const fs::path& folder) {
    return path.string().starts_with(folder.string() + "/");
}

// Every path of the jail but the root and the archive, with kind, mode and content.
std::string bait() {
    std::string listing;
    for (auto item = fs::recursive_directory_iterator(jail); item != fs::end(item); ++item) {
        if (item->path() == root || item->path() == archivePath) {
            item.disable_recursion_pending();
            continue;
        }
        const fs::file_status status = item->symlink_status();
        listing += item->path().string() + " " + std::to_string(int(status.type())) + " " +
                   std::to_string(int(status.permissions())) + "\n";
        if (status.type() == fs::file_type::regular)
            listing.append(std::istreambuf_iterator<char>(std::ifstream(item->path()).rdbuf()), {});
    }
    return listing;
}

void checkLinksStayInRoot() {
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (!item.is_symlink()) continue;
        const fs::path target = fs::read_symlink(item.path());
        check(target.is_relative());
        const fs::path unresolved = item.path().parent_path() / target;
        std::error_code cycle;  // a cycle of links leads nowhere
        fs::path resolved = fs::weakly_canonical(unresolved, cycle);
        if (cycle) resolved = unresolved.lexically_normal();
        check(resolved == root || isInside(resolved, root));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Beside this build's scratch library folder.
    jail = fs::weakly_canonical(fs::path(BASE_DIR) / "../../archive-jail");
    root = jail / "root";
    archivePath = jail / "Fuzz.zip";
    fs::remove_all(jail);
    fs::create_directories(jail / "bait/inner");
    std::ofstream(jail / "bait/secret") << "secret";
    std::ofstream(jail / "victim") << "victim";
    fs::create_directory_symlink("bait", jail / "bait-link");
    baitBefore = bait();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ofstream(archivePath, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    fs::create_directory(root);
    const ExtractionLimits limits{.maxTotalBytes = 4 << 20,
                                  .maxEntries = 200,
                                  .maxExpansion = 1000,
                                  .expansionFloorBytes = 64 << 10,
                                  .keepFreeBytes = 0};
    const ExtractedPatches result = extractPatches(archivePath, root, limits);
    check(bait() == baitBefore);
    if (!result.failure.empty()) {
        check(result.patchFolders.empty() && fs::is_empty(root));
    } else {
        check(!result.patchFolders.empty());
        for (const std::string& folder : result.patchFolders) {
            const fs::path patch(folder);
            check(isInside(patch, root) && !fs::is_symlink(patch) &&
                  fs::is_regular_file(
                      fs::symlink_status(patch / (patch.filename().string() + ".pd"))));
        }
        checkLinksStayInRoot();
    }
    fs::remove_all(root);
    return 0;
}
