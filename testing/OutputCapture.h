#pragma once

// Captures standard output or error at the descriptor: printf, std::cout and
// child processes are all seen, in the order they reached it.

#include <unistd.h>

#include <functional>
#include <string>

namespace testing_support {

// Runs fn with `fd` (STDOUT_FILENO or STDERR_FILENO) captured; what it wrote.
std::string captureOutput(int fd, const std::function<void()>& fn);
inline std::string captureStdout(const std::function<void()>& fn) {
    return captureOutput(STDOUT_FILENO, fn);
}
inline std::string captureStderr(const std::function<void()>& fn) {
    return captureOutput(STDERR_FILENO, fn);
}

}  // namespace testing_support
