#include "testing/StdoutCapture.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace testing_support {

namespace {
void flushBoth() {
    std::cout.flush();
    std::fflush(stdout);
}
}  // namespace

StdoutCapture::StdoutCapture() {
    flushBoth();
    char name[] = "/tmp/veltrano-stdout-XXXXXX";
    captureFd_ = mkstemp(name);
    if (captureFd_ < 0) throw std::runtime_error("cannot create capture file");
    unlink(name);
    savedStdout_ = dup(STDOUT_FILENO);
    dup2(captureFd_, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() {
    finish();
}

std::string StdoutCapture::finish() {
    if (savedStdout_ < 0) return text_;
    flushBoth();
    dup2(savedStdout_, STDOUT_FILENO);
    close(savedStdout_);
    savedStdout_ = -1;
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
    StdoutCapture capture;
    fn();
    return capture.finish();
}

}  // namespace testing_support
