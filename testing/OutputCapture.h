#pragma once

// Captures standard output or error at the descriptor: printf, std::cout and
// child processes are all seen, in the order they reached it.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "fsutil/UniqueFd.h"

namespace testing_support {

// Runs fn with `fd` (STDOUT_FILENO or STDERR_FILENO) captured; what it wrote.
inline std::string captureOutput(int fd, const std::function<void()>& fn) {
    // std::cout and std::cerr write through to stdio, as they stay synced with it.
    std::fflush(nullptr);
    const UniqueFd capture(memfd_create("captured", MFD_CLOEXEC)), saved(dup(fd));
    dup2(capture.get(), fd);
    fn();
    std::fflush(nullptr);
    dup2(saved.get(), fd);
    std::string text(static_cast<std::size_t>(lseek(capture.get(), 0, SEEK_END)), '\0');
    if (pread(capture.get(), text.data(), text.size(), 0) < 0) text.clear();
    return text;
}
inline std::string captureStdout(const std::function<void()>& fn) {
    return captureOutput(STDOUT_FILENO, fn);
}
inline std::string captureStderr(const std::function<void()>& fn) {
    return captureOutput(STDERR_FILENO, fn);
}

}  // namespace testing_support
