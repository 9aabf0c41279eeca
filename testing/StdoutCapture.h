#pragma once

// Captures everything written to standard output at the file-descriptor
// level, so printf, puts, std::cout and child processes are all seen, in the
// order they reached the descriptor.

#include <functional>
#include <string>

namespace testing_support {

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Stops capturing (flushing both stream layers first) and returns the text.
    std::string finish();

private:
    int savedStdout_ = -1;
    int captureFd_ = -1;
    std::string text_;
};

// Runs fn with standard output captured and returns what it wrote.
std::string captureStdout(const std::function<void()>& fn);

}  // namespace testing_support
