#pragma once

#include <cstddef>

// Files are searched in blocks of this size: small enough to stay in the
// processor's cache while searched, large enough that reads are few.
inline constexpr std::size_t kReadBlockBytes = 64 * 1024;
