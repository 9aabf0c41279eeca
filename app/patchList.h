#pragma once

// One type folder's patches as the window lists them, made in one go off the
// main thread and then swapped in whole: the window's thread never sorts or
// lists, and never sees a list half made.

#include <cstdint>
#include <string>
#include <vector>

struct PatchList {
    // The type directory listed (EFFECTS_DIR or INSTRUMENTS_DIR), null for none.
    const char* typeDir = nullptr;
    // The controller's count of the lists it had asked for when it asked for
    // this one: a list never replaces one asked for later.
    std::uint64_t sequence = 0;
    // In the list's order: each patch's folder, its name as shown, and the
    // text the search looks for its words in (UTF-8).
    std::vector<std::string> paths;
    std::vector<std::string> names;
    std::vector<std::string> searchKeys;
};
