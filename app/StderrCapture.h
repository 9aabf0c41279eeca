#pragma once

// Test support: captures what is written to standard error at the
// file-descriptor level, where the application's log lines go.

#include <functional>
#include <string>
#include <vector>

namespace app_testing {

// Runs fn with standard error captured and returns what it wrote.
std::string captureStderr(const std::function<void()>& fn);

// The texts of the log lines in captured standard error, without their
// "<date> <time> <program>[<pid>:<tid>] " prefix.
std::vector<std::string> logTexts(const std::string& captured);

}  // namespace app_testing
