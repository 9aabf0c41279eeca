#pragma once

#include <cstdint>

// Which mount the open file lies on. Two bind mounts of one file system share
// a device number but not a mount id, and a rename never crosses mounts, so
// the id is what tells them apart; a kernel without mount ids gives the
// device number instead.
std::uint64_t mountIdOf(int fd);
