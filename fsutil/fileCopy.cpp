#include "fsutil/fileCopy.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/fileKind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Long names leave room for the temporary's prefix and suffix within NAME_MAX.
constexpr size_t kMaxTempStem = 200;
constexpr int kTempAttempts = 100;

// Creates a new hidden file beside `destination` with the default permissions
// of a new file (0666 less the umask).
UniqueFd createTempBeside(const std::string& destination, std::string& tempPath) {
    std::string::size_type slash = destination.rfind('/');
    std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    std::string stem = destination.substr(slash == std::string::npos ? 0 : slash + 1);
    stem.resize(std::min(stem.size(), kMaxTempStem));
    static std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        tempPath = folder + "." + stem + suffix + ".tmp";
        UniqueFd fd(open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd || errno != EEXIST) return fd;
    }
    return UniqueFd();
}

bool copyWithReadWrite(int from, int to, bool& readFailed) {
    std::vector<char> buffer(1 << 18);
    while (true) {
        ssize_t got = read(from, buffer.data(), buffer.size());
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            readFailed = true;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                readFailed = false;
                return false;
            }
            done += put;
        }
    }
}

bool isWriteError(int error) {
    return error == EFBIG || error == ENOSPC || error == EDQUOT;
}

}  // namespace

void reportPathError(const std::string& path, int error) {
    std::printf("%s: %s\n", path.c_str(), std::strerror(error));
}

bool copyAllBytes(int from, int to, bool& readFailed) {
    // The kernel copies (or shares) the blocks itself where it can; a source
    // it can't do that for is copied through a buffer.
    bool copiedAny = false;
    while (true) {
        ssize_t got = copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
        if (got == 0) return true;
        if (got > 0) {
            copiedAny = true;
            continue;
        }
        if (errno == EINTR) continue;
        bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                           errno == EOPNOTSUPP || errno == ETXTBSY;
        if (unsupported && !copiedAny) return copyWithReadWrite(from, to, readFailed);
        readFailed = !isWriteError(errno);
        return false;
    }
}

int copyFileAtomically(const std::string& source, const std::string& destination) {
    UniqueFd from(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!from) {
        const int error = errno;
        reportPathError(source, error);
        return error;
    }
    // Writing a file onto itself would empty it first.
    struct stat opened;
    if (fstat(from.get(), &opened) == 0 && isSameFile(opened, destination)) return 0;

    std::string tempPath;
    UniqueFd to = createTempBeside(destination, tempPath);
    if (!to) {
        const int error = errno;
        reportPathError(destination, error);
        return error;
    }
    bool readFailed = false;
    bool copied = copyAllBytes(from.get(), to.get(), readFailed);
    int error = copied ? 0 : errno;
    if (copied && close(to.release()) != 0) error = errno;
    if (!error && rename(tempPath.c_str(), destination.c_str()) != 0) error = errno;
    if (error) {
        unlink(tempPath.c_str());
        reportPathError(readFailed ? source : destination, error);
    }
    return error;
}
