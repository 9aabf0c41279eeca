// An instrument exactly when "notein" stands anywhere; the first byte may push the rest to a
// read block's end after 'x' or 'n' filler (the marker's last byte), splitting the marker.

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstring>
#include <string>
#include "fsutil/readBlock.h"
#include "fuzz/check.h"
#include "library/VQAUUtils.h"

static int fileFd = -1;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fileFd = memfd_create("patch", MFD_CLOEXEC);
    check(fileFd >= 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        content.insert(0, kReadBlockBytes - (data[0] >> 1) % 8 - 1, data[0] & 0x10 ? 'n' : 'x');
    const auto bytes = static_cast<ssize_t>(content.size());
    check(ftruncate(fileFd, 0) == 0 && pwrite(fileFd, content.data(), bytes, 0) == bytes);
    const bool marked = memmem(content.data(), content.size(), "notein", 6) != nullptr;
    const char* type = getType("/proc/self/fd/" + std::to_string(fileFd));
    check(type == (marked ? INSTRUMENTS_DIR : EFFECTS_DIR));
    return 0;
}
