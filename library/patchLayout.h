#pragma once

// Which patches an extracted archive holds, by where its .pd files stand. A
// patch folder is a folder N, not hidden, holding the regular file N.pd.

#include "library/archiveEntryPaths.h"

#include <string>
#include <vector>

struct PatchLayout {
    std::vector<EntryPath> patchFolders;  // below the extraction folder, sorted by name
    std::string failure;                  // one line, when there is no patch to install
    // How many components the archive's own paths have above a patch's
    // content: 0 when its top-level entries were gathered into one patch.
    std::size_t depthInArchive = 0;
};

// In this order: one top-level patch folder; several top-level patch folders
// and nothing else; one top-level folder holding only patch folders; top-level
// entries including the file `stem`.pd, which are first moved into a new
// folder `stem` (the patch). `rootFd` is the extraction folder, not owned.
PatchLayout arrangePatches(int rootFd, const std::string& stem, const std::string& archiveName);
