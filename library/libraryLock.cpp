#include "library/libraryLock.h"

#include "library/VQAUUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <cerrno>

LibraryLock::LibraryLock() : folder_(open(BASE_DIR, O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!folder_) return;
    while (flock(folder_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
}
