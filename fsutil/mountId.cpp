#include "fsutil/mountId.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

std::uint64_t mountIdOf(int fd) {
    struct statx info;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &info) != 0) return 0;
    if (info.stx_mask & STATX_MNT_ID) return info.stx_mnt_id;
    return makedev(info.stx_dev_major, info.stx_dev_minor);
}
