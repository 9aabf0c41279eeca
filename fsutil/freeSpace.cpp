#include "fsutil/freeSpace.h"

#include <sys/statvfs.h>

#include <limits>

std::uint64_t freeBytesAt(const std::string& path) {
    struct statvfs space;
    if (statvfs(path.c_str(), &space) != 0) return std::numeric_limits<std::uint64_t>::max();
    return std::uint64_t{space.f_bavail} * space.f_frsize;
}
