// Bytes as an archive, extracted into a jail: outside untouched, a failure leaves nothing, a
// success gives patch folders whose links all stay inside.

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
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
    const ExtractedPatches result =
        extractPatches(archivePath, root, {4 << 20, 200, 1000, 64 << 10, 0});
    check(bait() == baitBefore);
    check(result.failure.empty() ? !result.patchFolders.empty()
                                 : result.patchFolders.empty() && fs::is_empty(root));
    for (const fs::path patch : result.patchFolders)
        check(isInside(patch, root) && !fs::is_symlink(patch) &&
              fs::is_regular_file(fs::symlink_status(patch / (patch.filename().string() + ".pd"))));
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (!item.is_symlink()) continue;
        const fs::path target = fs::read_symlink(item.path());
        const fs::path unresolved = item.path().parent_path() / target;
        std::error_code cycle;  // a cycle of links leads nowhere
        fs::path resolved = fs::weakly_canonical(unresolved, cycle);
        if (cycle) resolved = unresolved.lexically_normal();
        check(target.is_relative() && (resolved == root || isInside(resolved, root)));
    }
    fs::remove_all(root);
    return 0;
}
