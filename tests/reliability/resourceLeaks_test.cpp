// A long session of installs, listings, parameter reads and deletions must
// not leave a descriptor open (the asan run checks memory the same way).

#include <dirent.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "library/VQAUUtils.h"
#include "tests/reliability/reliabilityHarness.h"
#include "params/PdPluginParameters.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using namespace testing_support;
using testing_support::pathExists;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;

namespace {

constexpr int kCycles = 1000;

int openDescriptors() {
    const std::unique_ptr<DIR, int (*)(DIR*)> fds(opendir("/proc/self/fd"), closedir);
    if (!fds) return -1;
    int count = 0;
    while (const dirent* entry = readdir(fds.get()))
        if (entry->d_name[0] != '.') ++count;
    return count - 1;  // the listing's own descriptor
}

TEST(ResourceLeaks, ThousandsOfCyclesLeaveNoDescriptorOpen) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string declarations =
        "#X obj 10 10 notein;\n#X text 12 40 param cutoff slider 20 800 440 Hz;\n";
    const std::string folder = writePatchFolder(in, "Bass", declarations, 5, 100, 'a');
    const std::string file = in.writeFile("Lead.pd", declarations);
    const std::string instruments = INSTRUMENTS_DIR;

    testing_support::OutputCapture quiet(STDOUT_FILENO);
    const int before = openDescriptors();
    int failures = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        // Folders and single files take different roads; both are walked.
        const bool withFolder = cycle % 2 == 0;
        std::vector<std::string> items{withFolder ? folder : file};
        const std::string installed = instruments + (withFolder ? "/Bass" : "/Lead");
        PdPluginParameters parameters;
        if (installFiles(items) != INSTRUMENTS_DIR) ++failures;
        if (loadPatches(INSTRUMENTS_DIR)->size() != 1) ++failures;
        parameters.load(installed.c_str());
        if (parameters.size() != 1) ++failures;
        uninstallPatch(installed.c_str());
        if (pathExists(installed)) ++failures;
    }
    const int after = openDescriptors();
    quiet.finish();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(loadPatches(INSTRUMENTS_DIR)->empty());
}

}  // namespace
