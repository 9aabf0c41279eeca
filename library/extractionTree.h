#pragma once

// Creates an archive's entries below one folder through directory descriptors
// only: every component is opened with O_NOFOLLOW, so no link, one extracted
// earlier or one planted by someone else, is ever followed, and nothing is
// made outside the folder. Nothing that exists is replaced: creating a path
// that is taken fails with EEXIST. Modes are set exactly, whatever the umask.

#include "fsutil/UniqueFd.h"
#include "library/archiveEntryPaths.h"

#include <cstdint>
#include <string>

class ExtractionTree {
public:
    explicit ExtractionTree(int rootFd) : root_(rootFd) {}  // not owned

    // The folder made of the first `depth` components of `path`, created
    // (0755) where missing. Invalid with errno set when it can't be had.
    UniqueFd openFolder(const EntryPath& path, std::size_t depth);
    // A new regular file, 0755 when executable, else 0644, open for writing.
    UniqueFd createFile(const EntryPath& path, bool executable);
    // False with errno set when it can't be made.
    bool makeHardLink(const EntryPath& existing, const EntryPath& link);
    bool makeSymlink(const EntryPath& link, const std::string& target);
    // Gives the regular file at `path` an inode of its own holding the same
    // bytes and mode, so that it no longer changes with its other names.
    bool replaceWithCopy(const EntryPath& path);
    // Makes `link` another name of `existing`, in place of what it named.
    bool replaceWithHardLink(const EntryPath& existing, const EntryPath& link);

    // Folders created so far, the ones no entry of their own asked for included.
    std::uint64_t foldersMade() const { return foldersMade_; }

private:
    UniqueFd openOrMakeFolder(int parent, const std::string& name);
    // openFolder's folder, kept by the tree until the next call: -1 with
    // errno set when it can't be had.
    int folder(const EntryPath& path, std::size_t depth);

    int root_;
    std::uint64_t foldersMade_ = 0;
    // The folder asked for last, by its components. An archive lists a
    // folder's files one after another, so most files need no walk from the
    // root; nothing is renamed or removed while entries are made, so the
    // descriptor stays the folder at that path.
    EntryPath lastPath_;
    UniqueFd last_;
};
