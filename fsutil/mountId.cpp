#include "fsutil/mountId.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cerrno>

int mountIdAt(int dirFd, const char* path, int flags, std::uint64_t& id) {
    struct statx info;
    if (statx(dirFd, path, flags, STATX_MNT_ID, &info) != 0) return errno;
    id = info.stx_mask & STATX_MNT_ID ? info.stx_mnt_id
                                      : makedev(info.stx_dev_major, info.stx_dev_minor);
    return 0;
}

std::uint64_t mountIdOf(int fd) {
    std::uint64_t id = 0;
    mountIdAt(fd, "", AT_EMPTY_PATH, id);
    return id;
}
