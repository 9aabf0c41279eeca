// getType on arbitrary bytes: an instrument exactly when "notein" stands
// anywhere in the file, the same answer as a plain search of the whole buffer.
// The first input byte can place the rest just before the end of the first
// read block, so a marker split across two reads is tried as well, after a
// filler of 'x' (no byte of the marker) or of 'n' (its last byte, which sends
// the search into its vector runs right before the block's end).

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstring>
#include <string>

#include "fsutil/readBlock.h"
#include "fuzz/check.h"
#include "library/VQAUUtils.h"

namespace {

constexpr std::string_view kMarker = "notein";

int fileFd = -1;
std::string filePath;

std::string fileContent(const uint8_t* data, size_t size) {
    std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        const std::size_t before = (data[0] >> 1) % 8 + 1;
        content.insert(0, kReadBlockBytes - before, data[0] & 0x10 ? 'n' : 'x');
    }
    return content;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fileFd = memfd_create("patch", MFD_CLOEXEC);
    check(fileFd >= 0);
    filePath = "/proc/self/fd/" + std::to_string(fileFd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string content = fileContent(data, size);
    check(ftruncate(fileFd, 0) == 0);
    check(pwrite(fileFd, content.data(), content.size(), 0) ==
          static_cast<ssize_t>(content.size()));
    const bool holdsMarker =
        memmem(content.data(), content.size(), kMarker.data(), kMarker.size()) != nullptr;
    check(getType(filePath) == (holdsMarker ? INSTRUMENTS_DIR : EFFECTS_DIR));
    return 0;
}
