#pragma once

// veltrano-importer --check PATH...: the patch check without a window, for
// patch authors' scripts. Each PATH is a patch folder, a patch file or an
// archive of patches; each finding is printed as one line on `out`, in the
// compilers' format. Nothing touches the library folder, which is not even
// created.

#include <ostream>
#include <string>
#include <vector>

// 1 when any error was found, else 0; a usage mistake (no PATH) says so on
// `errors` and gives 2.
int runCommandLineCheck(const std::vector<std::string>& paths, std::ostream& out,
                        std::ostream& errors);
