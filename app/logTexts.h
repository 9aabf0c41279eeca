#pragma once

// Test support: the texts of the application's log lines.

#include <string>
#include <vector>

namespace app_testing {

// The texts of the log lines in captured standard error, without their
// "<date> <time> <program>[<pid>:<tid>] " prefix.
std::vector<std::string> logTexts(const std::string& captured);

}  // namespace app_testing
