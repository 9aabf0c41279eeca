#pragma once

#include <cstddef>

// Files are read in blocks of this size: small enough to stay in the
// processor's cache while searched or unpacked (the kernel's copy into a
// block of 1 MiB took five times as long), large enough that reads are few.
inline constexpr std::size_t kReadBlockBytes = 64 * 1024;
