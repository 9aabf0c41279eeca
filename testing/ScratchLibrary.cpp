#include "testing/ScratchLibrary.h"

#include "testing/OutputCapture.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

namespace {
// Refuses to wipe anything but the test build's own folders.
void wipeParentAndTrash() {
    if (ScratchLibrary::parentDir().find("/test-library/") == std::string::npos)
        throw std::runtime_error("refusing to touch a library folder outside the build tree");
    std::error_code ignored;
    fs::remove_all(ScratchLibrary::parentDir(), ignored);
    fs::remove_all(ScratchLibrary::dataHome(), ignored);
}
}  // namespace

ScratchLibrary::ScratchLibrary(bool withFolders) {
    wipeParentAndTrash();
    fs::create_directories(parentDir());
    fs::create_directories(dataHome());
    // Replaced and deleted patches go to this trash, never to the user's.
    setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
    if (withFolders)
        for (const char* folder : {BASE_DIR, EFFECTS_DIR, INSTRUMENTS_DIR})
            fs::create_directory(folder);
}

ScratchLibrary::~ScratchLibrary() {
    wipeParentAndTrash();
}

std::string ScratchLibrary::parentDir() {
    return fs::path(BASE_DIR).parent_path().string();
}

std::string ScratchLibrary::dataHome() {
    return fs::path(parentDir()).parent_path().string() + "/data-home";
}

Installed installQuietly(std::vector<std::string> items) {
    Installed installed{nullptr, ""};
    installed.output = captureStdout([&] { installed.type = installFiles(items); });
    return installed;
}

}  // namespace testing_support
