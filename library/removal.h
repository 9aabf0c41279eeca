#pragma once

// Deleting an installed patch for good, under the library lock. Folders of
// the patch that its owner made read-only are made writable first, the way a
// file manager deletes; a folder mounted inside the patch is never entered.

#include <string>

// Removes the patch folder (a link: the link only). 0 when it is gone, else
// the errno of the first thing that stayed.
int removeInstalledPatch(const std::string& path);
