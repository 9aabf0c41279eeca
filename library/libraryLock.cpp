#include "library/libraryLock.h"

#include "fsutil/folderFlags.h"
#include "fsutil/retryOnInterrupt.h"
#include "library/VQAUUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {
constexpr std::chrono::milliseconds kPollEvery{50};
}  // namespace

LibraryLock::LibraryLock() : folder_(open(BASE_DIR, folderFlags::read)) {
    if (!folder_) return;
    retryOnInterrupt([this] { return flock(folder_.get(), LOCK_EX); });
}

LibraryLock::LibraryLock(const std::function<bool()>& cancelled,
                         const std::function<void()>& waiting)
    : folder_(open(BASE_DIR, folderFlags::read)) {
    if (!folder_) return;
    // flock has no timeout: a blocking call could not be given up.
    const auto tryLock = [this] { return flock(folder_.get(), LOCK_EX | LOCK_NB); };
    for (bool told = false; retryOnInterrupt(tryLock) != 0;) {
        if (errno != EWOULDBLOCK) return;
        if (!told) waiting();
        told = true;
        if (cancelled()) {
            gaveUp_ = true;
            return;
        }
        std::this_thread::sleep_for(kPollEvery);
    }
}
