#pragma once

// For programs that show windows without a display (the window tests and the
// screenshot tool): Qt's offscreen platform unless another one is chosen,
// and a private runtime folder while XDG_RUNTIME_DIR is unset, since Qt
// warns without one. Create it before the QApplication.

#include <unistd.h>
#include <cstdlib>
#include <string>

namespace testing_support {

class HeadlessEnvironment {
public:
    HeadlessEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (std::getenv("XDG_RUNTIME_DIR")) return;
        // mkdtemp makes the folder 0700, as Qt expects.
        std::string pattern = "/tmp/veltrano-runtime-XXXXXX";
        if (!mkdtemp(pattern.data())) return;
        runtimeDir_ = pattern;
        setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
    }
    ~HeadlessEnvironment() {
        if (!runtimeDir_.empty()) rmdir(runtimeDir_.c_str());
    }
    HeadlessEnvironment(const HeadlessEnvironment&) = delete;
    HeadlessEnvironment& operator=(const HeadlessEnvironment&) = delete;

private:
    std::string runtimeDir_;
};

}  // namespace testing_support
