#include "fsutil/UniqueFd.h"
#include "fsutil/fileKind.h"
#include "fsutil/ofxDirList.h"
#include "fsutil/readBlock.h"
#include "fsutil/retryOnInterrupt.h"
#include "library/VQAUUtils.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kInstrumentMarker = "notein";
// The tail of a block that could still begin a marker split across two reads.
constexpr std::size_t kCarry = kInstrumentMarker.size() - 1;

// Sixteen bytes compared at once (SSE2 on x86-64, NEON on ARM), through the
// compiler's portable vector types.
typedef signed char Bytes16 __attribute__((vector_size(16)));
constexpr std::ptrdiff_t kLanes = sizeof(Bytes16);
// The marker's last byte found fewer than kDenseGap starts past the last one
// ruled out is frequent there; one vector pass then rules out kVectorRun starts.
constexpr std::ptrdiff_t kDenseGap = 64;
constexpr std::ptrdiff_t kVectorRun = 256;

Bytes16 load16(const char* at) {
    Bytes16 bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}

// A lane is set where the marker starts at that one of the 16 bytes from `at`.
Bytes16 markerStarts(const char* at) {
    Bytes16 starts = load16(at) == static_cast<signed char>(kInstrumentMarker[0]);
    for (std::size_t i = 1; i < kInstrumentMarker.size(); ++i)
        starts &= load16(at + i) == static_cast<signed char>(kInstrumentMarker[i]);
    return starts;
}

bool anyLaneSet(Bytes16 lanes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// Whether the marker starts anywhere in data[0, size). Hand-written because
// glibc's memmem takes twice grep's time where the marker's first letters are
// frequent. Like grep, memchr (vectorised for the running processor) jumps to
// the marker's last byte and the rest is checked there, so where that byte is
// rare this runs at memchr's speed; where it is frequent, a call per
// occurrence would cost more than comparing all six bytes at 256 starts at
// once, which is done instead. The README's Performance section has the
// figures of the searches tried.
bool holdsMarker(const char* data, std::size_t size) {
    constexpr std::ptrdiff_t kLast = kInstrumentMarker.size() - 1;
    if (size < kInstrumentMarker.size()) return false;
    const char* from = data;                      // the first start not yet ruled out
    const char* const end = data + size - kLast;  // one past the last possible start
    while (from < end) {
        const void* lastByte = std::memchr(from + kLast, kInstrumentMarker.back(),
                                           static_cast<std::size_t>(end - from));
        if (lastByte == nullptr) return false;
        const char* start = static_cast<const char*>(lastByte) - kLast;
        if (start - from >= kDenseGap || end - from < kVectorRun) {
            if (std::memcmp(start, kInstrumentMarker.data(), kInstrumentMarker.size()) == 0)
                return true;
            from = start + 1;
        } else {
            Bytes16 found = markerStarts(from);
            for (std::ptrdiff_t at = kLanes; at < kVectorRun; at += kLanes)
                found |= markerStarts(from + at);
            if (anyLaneSet(found)) return true;
            from += kVectorRun;
        }
    }
    return false;
}

// Bytes read into buffer; 0 at the end of the file or on a read error.
std::size_t readSome(int fd, char* buffer, std::size_t size) {
    const ssize_t got = retryOnInterrupt([&] { return read(fd, buffer, size); });
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

// The marker holds no line feed, so "a line contains it" is the same as "the
// bytes contain it"; searching blocks keeps memory constant for any file size.
bool containsMarker(int fd) {
    std::vector<char> buffer(kCarry + kReadBlockBytes);
    std::size_t kept = 0;
    for (;;) {
        std::size_t got = readSome(fd, buffer.data() + kept, kReadBlockBytes);
        if (got == 0) return false;
        std::size_t filled = kept + got;
        if (holdsMarker(buffer.data(), filled)) return true;
        kept = filled < kCarry ? filled : kCarry;
        std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
    }
}

}  // namespace

// Only a regular file has content to classify: opening a pipe would wait for a
// writer, and reading a device such as /dev/zero would never end. The path is
// checked before opening (opening a device can have effects of its own) and
// the open file again, in case the name changed in between.
const char* getType(std::string path) {
    if (!isRegularFile(path)) return EFFECTS_DIR;
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file && isRegularFile(file.get()) && containsMarker(file.get())) return INSTRUMENTS_DIR;
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
