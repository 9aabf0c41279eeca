#pragma once

// Shared by the reliability tests: snapshots of file trees that never follow
// a link, patch folders big enough to copy for a while, a stand-in `cp` put
// first on PATH, and the check that the library holds exactly the earlier or
// exactly the new copy of a patch and nothing else changed.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "testing/ScratchDir.h"

namespace testing_support {

// Relative path -> file content, "<dir>", "-> target" for a link, or
// "<other>" for a pipe or device; links are never followed.
using Tree = std::map<std::string, std::string>;

Tree treeOf(const std::string& root);
// Everything in and around the test library: the folder that holds BASE_DIR.
Tree libraryTree();

// Writes the patch folder `relative`/<name> holding <name>.pd (holding
// `mainContent`) and `files` more files of `bytes` bytes each, whose content
// depends on `version`; returns the folder's path.
std::string writePatchFolder(const testing_support::ScratchDir& dir, const std::string& relative,
                             const std::string& mainContent, int files, std::size_t bytes,
                             char version);

// Writes an executable `cp` into `dir`/bin that runs `scriptLines` (sh) and
// then hands its arguments to the real cp ($REAL_CP); returns the bin folder.
std::string writeStandInCp(const testing_support::ScratchDir& dir, const std::string& scriptLines);
// In a child: PATH starts with `folder`.
void putFirstOnPath(const std::string& folder);
// In a child: standard output goes nowhere.
void silenceStdout();

// True when the type directory holds a hidden entry (a staging leftover).
bool hasHiddenEntries(const char* typeDir);

enum class Holds { earlier, replacement, neither };

// What the library holds for the patch `name` of `typeDir` compared with
// `before` (the whole libraryTree before the install): exactly as before, or
// exactly as before with the patch's folder now `replacement`. Entries in the
// hidden staging folder are left out when `ignoreStaging`.
Holds whatLibraryHolds(Tree before, const char* typeDir, const std::string& name,
                       const Tree& replacement, bool ignoreStaging);

// The patch list of typeDir holds `names` (in any order), each once, and
// nothing hidden.
::testing::AssertionResult listsExactly(const char* typeDir, std::vector<std::string> names);

}  // namespace testing_support
