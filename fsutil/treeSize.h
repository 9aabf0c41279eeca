#pragma once

#include <cstdint>
#include <string>

// The bytes of the regular files in the tree at `path`, as `cp -R -H` copies
// it: a link at the top is followed, links inside are not. What can't be
// read counts nothing. For progress, so it need not be exact.
std::uint64_t bytesInTree(const std::string& path);
