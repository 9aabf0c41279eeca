#include "library/libraryLock.h"

#include "library/VQAUUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {
constexpr std::chrono::milliseconds kPollEvery{50};
}  // namespace

LibraryLock::LibraryLock() : folder_(open(BASE_DIR, O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!folder_) return;
    while (flock(folder_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
}

LibraryLock::LibraryLock(const std::function<bool()>& cancelled,
                         const std::function<void()>& waiting)
    : folder_(open(BASE_DIR, O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!folder_) return;
    // flock has no timeout: a blocking call could not be given up.
    for (bool told = false; flock(folder_.get(), LOCK_EX | LOCK_NB) != 0;) {
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        if (!told) waiting();
        told = true;
        if (cancelled()) {
            gaveUp_ = true;
            return;
        }
        std::this_thread::sleep_for(kPollEvery);
    }
}
