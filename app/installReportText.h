#pragma once

// What the window says about an install request once it is done: the items
// not installed, each with its reason, and the earlier copies that no trash
// could take and were deleted for good.

#include <string>
#include <utility>
#include <vector>

#include "library/installation.h"

// Each item not installed and why, in the report's order. A patch of an
// archive is named after the archive file and itself: "pack2.tar: Way".
std::vector<std::pair<std::string, std::string>> itemsNotInstalled(const InstallReport& report);

// "2 of 5 items were not installed"
std::string notInstalledText(std::size_t notInstalled, std::size_t items);

// "Replaced “Rev” for good: …" when earlier copies were deleted for good, else empty.
std::string deletedForGoodText(const InstallReport& report);
