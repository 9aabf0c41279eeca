#pragma once

// Shared by the reliability tests: patch folders big enough to copy for a
// while, a stand-in `cp`, snapshots of the whole test library, and what its
// patch list shows.

#include <string>
#include <vector>

#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace testing_support {

// Writes the patch folder `relative`/<name> holding <name>.pd (holding
// `main`) and `files` more files of `bytes` bytes each, some in a subfolder;
// their content depends on `version`. Returns the folder's path.
std::string writePatchFolder(const ScratchDir& dir, const std::string& relative, int files,
                             char version, std::size_t bytes = 100,
                             const std::string& main = kEffect);

// Writes a `cp` into `dir`/bin that sets $SOURCE and $DESTINATION, runs
// `scriptLines` (sh) and then runs the real cp; returns the PATH that puts it
// first.
std::string writeStandInCp(const ScratchDir& dir, const std::string& scriptLines);

// Everything in and around the test library: the folder that holds BASE_DIR.
Tree libraryTree();

// The names in the patch list of typeDir, sorted.
std::vector<std::string> listedNames(const char* typeDir);

}  // namespace testing_support
