// Installs, listings, parameter reads and deletions leave no descriptor open (asan: memory).

#include <gtest/gtest.h>

#include <filesystem>

#include "params/PdPluginParameters.h"
#include "testing/OutputCapture.h"
#include "tests/reliability/reliabilityHarness.h"

using namespace testing_support;
using ResourceLeaks = LibraryScene;

TEST_F(ResourceLeaks, ThousandsOfCyclesLeaveNoDescriptorOpen) {
    const std::string declarations =
        kInstrument + "#X text 12 40 param cutoff slider 20 800 440;\n";
    const std::string folder = writePatchFolder(in, "Bass", 5, 'a', 100, declarations);
    const std::string file = in.writeFile("Lead.pd", declarations);
    const auto openDescriptors = [] {
        const std::filesystem::directory_iterator fds("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    long before = 0, after = 0;
    int failures = 0;
    captureStdout([&] {
        before = openDescriptors();
        for (int cycle = 0; cycle < 1000; ++cycle) {
            // Folders and single files take different roads; both are walked.
            const bool withFolder = cycle % 2 == 0;
            std::vector<std::string> items{withFolder ? folder : file};
            const std::string installed = kInstruments + (withFolder ? "/Bass" : "/Lead");
            PdPluginParameters parameters;
            failures += installFiles(items) != INSTRUMENTS_DIR;
            failures += loadPatches(INSTRUMENTS_DIR)->size() != 1;
            parameters.load(installed.c_str());
            failures += parameters.size() != 1;
            uninstallPatch(installed.c_str());
            failures += pathExists(installed);
        }
        after = openDescriptors();
    });
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(loadPatches(INSTRUMENTS_DIR)->empty());
}
