#include "app/platformLog.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <regex>

// That lines reach standard error with every byte of their text the intake tests see.
TEST(PlatformLog, LinesCarryDateTimeProgramAndProcess) {
    using namespace std::chrono;
    const auto when = floor<seconds>(system_clock::now()) + milliseconds(42);
    const std::string line = platformLogLine("main", when);
    const std::regex layout(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.042 app_tests\[(\d+):(\d+)\] main)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, layout)) << line;
    EXPECT_EQ(std::stoi(match[1]), getpid());
}
