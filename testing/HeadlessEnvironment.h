#pragma once

// For programs that show windows without a display (the window tests and the
// screenshot tool): Qt's offscreen platform unless another one is chosen, a
// private runtime folder while XDG_RUNTIME_DIR is unset, since Qt warns
// without one, and always a scratch settings folder (XDG_CONFIG_HOME), so
// that the window's remembered size never reaches the user's settings.
// Create it before the QApplication.

#include <stdlib.h>
#include <sys/stat.h>

#include "testing/ScratchDir.h"

namespace testing_support {

class HeadlessEnvironment {
public:
    HeadlessEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("XDG_CONFIG_HOME", folders_.makeDir("config").c_str(), 1);
        // Qt takes a runtime folder that only its owner may enter.
        const std::string runtime = folders_.makeDir("runtime");
        chmod(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    }

private:
    ScratchDir folders_;
};

}  // namespace testing_support
