#include "testing/OutputCapture.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace testing_support {

namespace {
void flushAll() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}
}  // namespace

OutputCapture::OutputCapture(int fd) : fd_(fd) {
    flushAll();
    char name[] = "/tmp/veltrano-output-XXXXXX";
    captureFd_ = mkstemp(name);
    if (captureFd_ < 0) throw std::runtime_error("cannot create capture file");
    unlink(name);
    savedFd_ = dup(fd_);
    dup2(captureFd_, fd_);
}

OutputCapture::~OutputCapture() {
    finish();
}

std::string OutputCapture::finish() {
    if (savedFd_ < 0) return text_;
    flushAll();
    dup2(savedFd_, fd_);
    close(savedFd_);
    savedFd_ = -1;
    char buffer[65536];
    ssize_t got;
    off_t offset = 0;
    while ((got = pread(captureFd_, buffer, sizeof buffer, offset)) > 0) {
        text_.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
    close(captureFd_);
    captureFd_ = -1;
    return text_;
}

std::string captureStdout(const std::function<void()>& fn) {
    OutputCapture capture(STDOUT_FILENO);
    fn();
    return capture.finish();
}

std::string captureStderr(const std::function<void()>& fn) {
    OutputCapture capture(STDERR_FILENO);
    fn();
    return capture.finish();
}

}  // namespace testing_support
