#include "testing/ScratchLibrary.h"

#include "library/VQAUUtils.h"

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

namespace {
// Refuses to wipe anything but the test build's own folder.
void wipeParent() {
    std::string parent = ScratchLibrary::parentDir();
    if (parent.find("/test-library/") == std::string::npos)
        throw std::runtime_error("refusing to touch a library folder outside the build tree");
    std::error_code ignored;
    fs::remove_all(parent, ignored);
}
}  // namespace

ScratchLibrary::ScratchLibrary(bool withFolders) {
    wipeParent();
    fs::create_directories(parentDir());
    if (withFolders) {
        fs::create_directory(BASE_DIR);
        fs::create_directory(EFFECTS_DIR);
        fs::create_directory(INSTRUMENTS_DIR);
    }
}

ScratchLibrary::~ScratchLibrary() {
    wipeParent();
}

std::string ScratchLibrary::parentDir() {
    return fs::path(BASE_DIR).parent_path().string();
}

}  // namespace testing_support
