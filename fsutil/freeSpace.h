#pragma once

// Room left on a file system, so a copy that can't fit is refused before it
// begins instead of filling the disk.

#include <cstdint>
#include <string>

// Bytes an unprivileged user may still write on the file system that holds
// `path`; the largest number when that can't be told.
std::uint64_t freeBytesAt(const std::string& path);
