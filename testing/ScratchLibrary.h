#pragma once

// The test build's own library folder (BASE_DIR is under the build tree), wiped for each test.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/VQAUUtils.h"
#include "testing/OutputCapture.h"

namespace testing_support {

// The type directories as strings, and main patch files of each type, in
// which the patch check finds nothing.
inline const std::string kEffects = EFFECTS_DIR;
inline const std::string kInstruments = INSTRUMENTS_DIR;
inline const std::string kEffect =
    "#N canvas 0 50 450 300 12;\n#X obj 10 10 adc~;\n#X obj 10 40 dac~;\n";
inline const std::string kInstrument =
    "#N canvas 0 50 450 300 12;\n#X obj 10 10 notein;\n#X obj 10 40 dac~;\n";

class ScratchLibrary {
public:
    // An empty parent of BASE_DIR and trash (XDG_DATA_HOME); withFolders: BASE_DIR and types.
    explicit ScratchLibrary(bool withFolders = true) {
        wipeParentAndTrash();
        std::filesystem::create_directories(parentDir());
        std::filesystem::create_directories(dataHome());
        // Replaced and deleted patches go to this trash, never to the user's.
        setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
        if (withFolders)
            for (const char* folder : {BASE_DIR, EFFECTS_DIR, INSTRUMENTS_DIR})
                std::filesystem::create_directory(folder);
    }
    ~ScratchLibrary() { wipeParentAndTrash(); }
    ScratchLibrary(const ScratchLibrary&) = delete;
    ScratchLibrary& operator=(const ScratchLibrary&) = delete;

    // The folder that holds BASE_DIR (provided by the audio host in real use).
    static std::string parentDir() { return std::filesystem::path(BASE_DIR).parent_path(); }
    // XDG_DATA_HOME while the fixture lives: the trash is <dataHome>/Trash.
    static std::string dataHome() {
        return std::filesystem::path(parentDir()).parent_path().string() + "/data-home";
    }

private:
    // Refuses to wipe anything but the test build's own folders.
    static void wipeParentAndTrash() {
        if (parentDir().find("/test-library/") == std::string::npos)
            throw std::runtime_error("refusing to touch a library folder outside the build tree");
        std::error_code ignored;
        std::filesystem::remove_all(parentDir(), ignored);
        std::filesystem::remove_all(dataHome(), ignored);
    }
};

// installFiles with its lines captured: the type it returned, and the lines.
struct Installed {
    const char* type;
    std::string output;
};
inline Installed installQuietly(std::vector<std::string> items) {
    Installed installed{nullptr, ""};
    installed.output = captureStdout([&] { installed.type = installFiles(items); });
    return installed;
}

}  // namespace testing_support
