#include "fsutil/fileCopy.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/fileKind.h"
#include "fsutil/retryOnInterrupt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
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
    // One generator per thread: installs and trashing copy on different threads.
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        tempPath = folder + "." + stem + suffix + ".tmp";
        UniqueFd fd(open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd || errno != EEXIST) return fd;
    }
    return UniqueFd();
}

bool isWriteError(int error) {
    return error == EFBIG || error == ENOSPC || error == EDQUOT;
}

// The bytes of one open file copied into another at the same offsets, a
// chunk at a time so that the hooks are heard during a long copy.
class FileBytes {
public:
    FileBytes(int from, int to, const FileCopyHooks& hooks) : from_(from), to_(to), hooks_(hooks) {}

    // A file with fewer blocks than its size has holes: only its data is
    // copied, and the holes are left unwritten. 0 or the errno.
    int copyAll(const struct stat& source) {
        if (source.st_blocks * kBlockBytes >= source.st_size) return copyRange(0, kToTheEnd);
        for (off_t offset = 0;;) {
            const off_t data = lseek(from_, offset, SEEK_DATA);
            if (data < 0 && errno == ENXIO) break;  // only a hole is left
            // Where the file system can't tell data from holes, the rest is copied as data.
            if (data < 0) return errno == EINVAL ? copyRange(offset, kToTheEnd) : readError();
            const off_t hole = lseek(from_, data, SEEK_HOLE);
            if (hole < 0) return readError();
            if (int error = copyRange(data, hole)) return error;
            offset = hole;
        }
        // A hole at the end is only a length.
        readFailed_ = false;
        return ftruncate(to_, source.st_size) == 0 ? 0 : errno;
    }

    // Whether the last error was the source's rather than the destination's.
    bool readFailed() const { return readFailed_; }

private:
    static constexpr off_t kBlockBytes = 512;
    static constexpr off_t kToTheEnd = std::numeric_limits<off_t>::max();
    static constexpr off_t kChunk = off_t{8} << 20;

    int readError() {
        readFailed_ = true;
        return errno;
    }

    // Copies [offset, end), or up to the source's end where that comes first.
    int copyRange(off_t offset, off_t end) {
        while (offset < end) {
            if (hooks_.cancelled && hooks_.cancelled()) return ECANCELED;
            const ssize_t got = retryOnInterrupt(
                [&] { return chunk(offset, static_cast<size_t>(std::min(kChunk, end - offset))); });
            if (got < 0) return errno;
            if (got == 0) return 0;
            offset += got;
            if (hooks_.progress) hooks_.progress(static_cast<std::uint64_t>(offset));
        }
        return 0;
    }

    // The kernel copies (or shares) the blocks itself where it can; a source
    // it can't do that for is copied through a buffer. The bytes copied (0 at
    // the source's end), or -1 with errno.
    ssize_t chunk(off_t offset, size_t length) {
        if (kernelCopies_) {
            loff_t in = offset, out = offset;
            const ssize_t got = copy_file_range(from_, &in, to_, &out, length, 0);
            if (got > 0) copiedAny_ = true;
            if (got >= 0 || errno == EINTR) return got;
            const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                     errno == EOPNOTSUPP || errno == ETXTBSY;
            if (!unsupported || copiedAny_) {
                readFailed_ = !isWriteError(errno);
                return -1;
            }
            kernelCopies_ = false;
            buffer_.resize(kBufferBytes);
        }
        const ssize_t got = pread(from_, buffer_.data(), std::min(length, buffer_.size()), offset);
        if (got < 0) readFailed_ = true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = retryOnInterrupt([&] {
                return pwrite(to_, buffer_.data() + done, static_cast<size_t>(got - done),
                              offset + done);
            });
            if (put < 0) {
                readFailed_ = false;
                return -1;
            }
            done += put;
        }
        return got;
    }

    static constexpr size_t kBufferBytes = size_t{1} << 18;
    int from_, to_;
    const FileCopyHooks& hooks_;
    bool kernelCopies_ = true, copiedAny_ = false, readFailed_ = false;
    std::vector<char> buffer_;
};

}  // namespace

int copyFileBytes(int from, int to, const FileCopyHooks& hooks) {
    struct stat source;
    if (fstat(from, &source) != 0) return errno;
    return FileBytes(from, to, hooks).copyAll(source);
}

void reportPathError(const std::string& path, int error) {
    std::printf("%s: %s\n", path.c_str(), std::strerror(error));
}

int copyFileAtomically(const std::string& source, const std::string& destination,
                       const FileCopyHooks& hooks) {
    UniqueFd from(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat opened;
    if (!from || fstat(from.get(), &opened) != 0) {
        const int error = errno;
        reportPathError(source, error);
        return error;
    }
    // Writing a file onto itself would empty it first.
    if (isSameFile(opened, destination)) return 0;

    std::string tempPath;
    UniqueFd to = createTempBeside(destination, tempPath);
    if (!to) {
        const int error = errno;
        reportPathError(destination, error);
        return error;
    }
    FileBytes bytes(from.get(), to.get(), hooks);
    int error = bytes.copyAll(opened);
    if (!error && close(to.release()) != 0) error = errno;
    if (!error && rename(tempPath.c_str(), destination.c_str()) != 0) error = errno;
    if (error) {
        unlink(tempPath.c_str());
        if (error != ECANCELED) reportPathError(bytes.readFailed() ? source : destination, error);
    }
    return error;
}
