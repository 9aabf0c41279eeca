#pragma once

// Taking an installed patch out of the library, each under the library lock:
// to the user's trash and back again, or for good. Folders of the patch that
// its owner made read-only are made writable where that is needed, the way a
// file manager does it, and a folder mounted inside a patch is never entered.

#include <string>

#include "fsutil/trash.h"

// Moves the patch folder (a link: the link) to the trash.
TrashResult trashInstalledPatch(const std::string& path);

// Puts a trashed patch back where it was; EEXIST when a patch of that name
// stands there again. 0 or the errno.
int restoreTrashedPatch(const TrashedItem& trashed);

// Undoes a replace: the trashed earlier copy takes the place of the copy now
// installed, which goes to the trash in its stead, and `trashed` then
// describes that copy in the trash, so that the same call swaps them back
// again. 0 or the errno.
int swapBackReplacedCopy(TrashedItem& trashed);

// Removes the patch folder for good (a link: the link only). 0 when it is
// gone, else the errno of the first thing that stayed.
int removeInstalledPatch(const std::string& path);
