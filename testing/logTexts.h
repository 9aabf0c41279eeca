#pragma once

// Test support: the texts of the application's log lines.

#include <string>
#include <vector>

namespace testing_support {

// The texts of the log lines in captured standard error, without their
// "<date> <time> <program>[<pid>:<tid>] " prefix.
std::vector<std::string> logTexts(const std::string& captured);

}  // namespace testing_support
