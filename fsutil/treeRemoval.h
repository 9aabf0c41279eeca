#pragma once

// Removal of a directory's contents through directory descriptors, the way
// `rm -rf --one-file-system` works: no joined paths (so no length limit), at
// most a bounded number of descriptors open however deep the tree, symbolic
// links removed and never followed, and never a step into another mount (a
// folder mounted inside the tree stays, with everything in it).

#include <string>

#include "fsutil/UniqueFd.h"

enum class RemovalMode {
    // Leaves what the permissions don't let go, as `rm -rf` does.
    asPermitted,
    // Also makes folders this process owns readable, writable and searchable
    // first, as a file manager's delete does.
    asOwner,
};

// Removes everything inside the open directory, depth first. Entries that
// can't be removed stay (and so do the folders above them); the walk goes on.
// 0 when everything went, else the errno of the first entry that stayed.
int emptyOpenDirectory(UniqueFd directory, RemovalMode mode);

// Removes the tree at `path`, the top included; a link loses only the link,
// and a folder that is itself a mount point is not entered. 0 or the errno of
// the first thing that stayed.
int removeTree(const std::string& path, RemovalMode mode);
