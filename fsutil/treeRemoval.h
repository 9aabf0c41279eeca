#pragma once

// Removal of a directory's contents through directory descriptors, the way
// `rm -rf` works: no joined paths (so no length limit), at most a bounded
// number of descriptors open however deep the tree, and symbolic links are
// removed, never followed.

#include "fsutil/UniqueFd.h"

// Removes everything inside the open directory, depth first. Entries that
// can't be removed stay (and so do the folders above them); the walk goes on.
void emptyOpenDirectory(UniqueFd directory);
