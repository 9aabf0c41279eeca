#include "fsutil/UniqueFd.h"
#include "fsutil/fileKind.h"
#include "fsutil/ofxDirList.h"
#include "library/VQAUUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kInstrumentMarker = "notein";
constexpr std::size_t kBlockSize = 64 * 1024;
// The tail of a block that could still begin a marker split across two reads.
constexpr std::size_t kCarry = kInstrumentMarker.size() - 1;

// Bytes read into buffer; 0 at the end of the file or on a read error.
std::size_t readSome(int fd, char* buffer, std::size_t size) {
    ssize_t got;
    do {
        got = read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

// The marker holds no line feed, so "a line contains it" is the same as "the
// bytes contain it"; searching blocks keeps memory constant for any file size.
bool containsMarker(int fd) {
    std::vector<char> buffer(kCarry + kBlockSize);
    std::size_t kept = 0;
    for (;;) {
        std::size_t got = readSome(fd, buffer.data() + kept, kBlockSize);
        if (got == 0) return false;
        std::size_t filled = kept + got;
        if (memmem(buffer.data(), filled, kInstrumentMarker.data(), kInstrumentMarker.size()))
            return true;
        kept = filled < kCarry ? filled : kCarry;
        std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
    }
}

bool isOpenRegularFile(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

// Only a regular file has content to classify: opening a pipe would wait for a
// writer, and reading a device such as /dev/zero would never end. The path is
// checked before opening (opening a device can have effects of its own) and
// the open file again, in case the name changed in between.
const char* getType(std::string path) {
    if (!isRegularFile(path)) return EFFECTS_DIR;
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file && isOpenRegularFile(file.get()) && containsMarker(file.get())) return INSTRUMENTS_DIR;
    return EFFECTS_DIR;
}

std::vector<std::string> listDir(std::string path) {
    ofxDirList lister;
    int count = lister.listDir(path);
    std::vector<std::string> entries;
    entries.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int i = 0; i < count; ++i) entries.push_back(lister.getPath(i));
    return entries;
}

const char* getTypeForDir(std::string path) {
    const std::string name = getDirName(path);
    const std::string mainPatchFile = name + ".pd";
    const char* type = nullptr;
    // Names in one directory are unique, so at most one entry matches.
    for (const std::string& entry : listDir(path)) {
        if (getFileName(entry) != mainPatchFile) continue;
        std::printf("Found %s\n", name.c_str());
        type = getType(entry);
        std::printf("It's a %s\n", type);
    }
    return type;
}
