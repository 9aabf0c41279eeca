#pragma once

// Creates an archive's entries below one folder through directory descriptors
// only: every component is opened with O_NOFOLLOW, so no link, one extracted
// earlier or one planted by someone else, is ever followed, and nothing is
// made outside the folder. Nothing that exists is replaced: creating a path
// that is taken fails with EEXIST. Modes are set exactly, whatever the umask.

#include "fsutil/UniqueFd.h"
#include "library/archiveEntryPaths.h"

#include <string>

class ExtractionTree {
public:
    explicit ExtractionTree(int rootFd) : root_(rootFd) {}  // not owned

    // The folder made of the first `depth` components of `path`, created
    // (0755) where missing. Invalid with errno set when it can't be had.
    UniqueFd openFolder(const EntryPath& path, std::size_t depth) const;
    // A new regular file, 0755 when executable, else 0644, open for writing.
    UniqueFd createFile(const EntryPath& path, bool executable) const;
    // False with errno set when it can't be made.
    bool makeHardLink(const EntryPath& existing, const EntryPath& link) const;
    bool makeSymlink(const EntryPath& link, const std::string& target) const;

private:
    int root_;
};
