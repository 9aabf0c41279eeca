#pragma once

#include <cstdint>

// Which mount a file lies on. Two bind mounts of one file system share a
// device number but not a mount id, and a rename never crosses mounts, so
// the id is what tells them apart; a kernel without mount ids gives the
// device number instead.

// The mount of `path` relative to `dirFd`, as statx takes them (flags such as
// AT_EMPTY_PATH or AT_SYMLINK_NOFOLLOW). 0, or the errno of statx.
int mountIdAt(int dirFd, const char* path, int flags, std::uint64_t& id);

// The mount of an open file; 0 when it can't be told.
std::uint64_t mountIdOf(int fd);
