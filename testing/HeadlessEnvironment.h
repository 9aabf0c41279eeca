#pragma once

// For programs that show windows without a display (the window tests and the
// screenshot tool): Qt's offscreen platform unless another one is chosen, a
// private runtime folder while XDG_RUNTIME_DIR is unset, since Qt warns
// without one, and always a scratch settings folder (XDG_CONFIG_HOME), so
// that the window's remembered size never reaches the user's settings.
// Create it before the QApplication.

#include <stdlib.h>
#include <filesystem>
#include <string>

namespace testing_support {

class HeadlessEnvironment {
public:
    HeadlessEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        configDir_ = privateFolder("XDG_CONFIG_HOME");
        if (!std::getenv("XDG_RUNTIME_DIR")) runtimeDir_ = privateFolder("XDG_RUNTIME_DIR");
    }
    ~HeadlessEnvironment() {
        std::error_code ignored;
        for (const std::string& folder : {configDir_, runtimeDir_})
            if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    HeadlessEnvironment(const HeadlessEnvironment&) = delete;
    HeadlessEnvironment& operator=(const HeadlessEnvironment&) = delete;

private:
    // A new folder (0700, as Qt expects of a runtime folder) named by the
    // variable; empty when it could not be made.
    static std::string privateFolder(const char* variable) {
        std::string pattern = "/tmp/veltrano-headless-XXXXXX";
        if (!mkdtemp(pattern.data())) return "";
        setenv(variable, pattern.c_str(), 1);
        return pattern;
    }

    std::string configDir_;
    std::string runtimeDir_;
};

}  // namespace testing_support
