#pragma once

// The patch check's results for the library, kept between checks: a patch
// folder is checked again only when its files changed (see
// pdpatch::patchStamp), so the check that follows each change of the library
// costs a look at each folder and a check of the folders that changed. Used
// on one thread only.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "pdpatch/patchCheck.h"

// The findings per patch folder (by its path), for the folders that have any.
using PatchFindings = std::unordered_map<std::string, std::vector<pdpatch::Finding>>;

class PatchCheckCache {
public:
    // The findings of the folders, each checked unless kept at its present stamp.
    PatchFindings check(const std::vector<std::string>& folders);
    // The findings of every patch of the library; folders gone are forgotten.
    PatchFindings checkLibrary();

private:
    struct Kept {
        std::uint64_t stamp = 0;
        std::vector<pdpatch::Finding> findings;
    };
    // Adds the folder's findings, if any, to `found`.
    void checkInto(const std::string& folder, PatchFindings& found);

    std::unordered_map<std::string, Kept> kept_;
};
