#pragma once

#include <cstdint>
#include <string>

// What a tree holds: the bytes of its regular files, and how many they are.
struct TreeSize {
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
};

// The regular files in the tree at `path`, as `cp -R -H` copies it: a link
// at the top is followed, links inside are not. What can't be read counts
// nothing. For progress, so it need not be exact.
TreeSize treeSize(const std::string& path);
