#pragma once

// Captures everything written to standard output or standard error at the
// file-descriptor level, so printf, puts, std::cout and child processes are
// all seen, in the order they reached the descriptor.

#include <unistd.h>
#include <functional>
#include <string>

namespace testing_support {

class OutputCapture {
public:
    // fd: STDOUT_FILENO or STDERR_FILENO.
    explicit OutputCapture(int fd);
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Stops capturing (flushing both stream layers first) and returns the text.
    std::string finish();

private:
    int fd_;
    int savedFd_ = -1;
    int captureFd_ = -1;
    std::string text_;
};

// Run fn with standard output (or standard error) captured; return what it wrote.
std::string captureStdout(const std::function<void()>& fn);
std::string captureStderr(const std::function<void()>& fn);

}  // namespace testing_support
