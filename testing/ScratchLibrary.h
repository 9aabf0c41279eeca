#pragma once

// The test build's own library folder (BASE_DIR is under the build tree), wiped for each test.

#include <string>
#include <vector>

#include "library/VQAUUtils.h"

namespace testing_support {

// The type directories as strings, and main patch files of each type.
inline const std::string kEffects = EFFECTS_DIR;
inline const std::string kInstruments = INSTRUMENTS_DIR;
inline const std::string kEffect = "#X obj 10 10 dac~;\n";
inline const std::string kInstrument = "#X obj 10 10 notein;\n";

class ScratchLibrary {
public:
    // An empty parent of BASE_DIR and trash (XDG_DATA_HOME); withFolders: BASE_DIR and types.
    explicit ScratchLibrary(bool withFolders = true);
    ~ScratchLibrary();
    ScratchLibrary(const ScratchLibrary&) = delete;
    ScratchLibrary& operator=(const ScratchLibrary&) = delete;

    // The folder that holds BASE_DIR (provided by the audio host in real use).
    static std::string parentDir();
    // XDG_DATA_HOME while the fixture lives: the trash is <dataHome>/Trash.
    static std::string dataHome();
};

// installFiles with its lines captured: the type it returned, and the lines.
struct Installed {
    const char* type;
    std::string output;
};
Installed installQuietly(std::vector<std::string> items);

}  // namespace testing_support
