#pragma once

// Made before the QApplication: offscreen platform and runtime folder unless set, scratch settings.

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
