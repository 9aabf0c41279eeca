#include "testing/OutputCapture.h"

#include <sys/mman.h>

#include <cstdio>

#include "fsutil/UniqueFd.h"

namespace testing_support {

std::string captureOutput(int fd, const std::function<void()>& fn) {
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

}  // namespace testing_support
