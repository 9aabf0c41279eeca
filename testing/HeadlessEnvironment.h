#pragma once

// For programs that show windows without a display (the window tests, the
// screenshot tool); made before the QApplication. Qt's offscreen platform and
// a private runtime folder (Qt warns without one) unless others are set, and
// always scratch settings, so no remembered size reaches the user's settings.

#include <stdlib.h>
#include <sys/stat.h>

#include "testing/ScratchDir.h"

namespace testing_support {

struct HeadlessEnvironment {
    HeadlessEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("XDG_CONFIG_HOME", folders.makeDir("config").c_str(), 1);
        chmod(folders.makeDir("runtime").c_str(), 0700);  // Qt wants it private
        setenv("XDG_RUNTIME_DIR", folders.path("runtime").c_str(), 0);
    }
    ScratchDir folders;
};

}  // namespace testing_support
