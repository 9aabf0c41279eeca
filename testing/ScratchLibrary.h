#pragma once

// The test build's own library folder: BASE_DIR points under the build tree,
// and this fixture wipes and prepares it so that every test starts alike.

#include <string>

namespace testing_support {

class ScratchLibrary {
public:
    // Leaves the parent of BASE_DIR existing and empty; with `withFolders`,
    // also creates BASE_DIR with both type directories.
    explicit ScratchLibrary(bool withFolders = true);
    ~ScratchLibrary();
    ScratchLibrary(const ScratchLibrary&) = delete;
    ScratchLibrary& operator=(const ScratchLibrary&) = delete;

    // The folder that holds BASE_DIR (provided by the audio host in real use).
    static std::string parentDir();
};

}  // namespace testing_support
