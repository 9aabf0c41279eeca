#include "library/VQAUUtils.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;

// Each missing folder is made, one level each; one that can't be made is told, the rest tried.
TEST(InitDirs, CreatesEachMissingFolderAndTellsWhatItCouldNot) {
    const std::string notFound = "File not found\n", failed = "Couldn't create base directory \n";
    const struct {
        const char* name;
        bool withFolders;
        void (*setUp)();
        std::string output;
    } cases[] = {
        {"all missing", false, [] {}, notFound + notFound + notFound},
        {"all there", true, [] {}, ""},
        {"instruments missing", true, [] { std::filesystem::remove(kInstruments); }, notFound},
        {"a file in the way", false, [] { writeFile(BASE_DIR, "x"); },
         failed + notFound + notFound},
        {"no parent", false, [] { std::filesystem::remove(ScratchLibrary::parentDir()); },
         notFound + failed + notFound + notFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchLibrary library(c.withFolders);
        c.setUp();
        EXPECT_EQ(captureStdout(initDirs), "initDirs()\n" + c.output);
        EXPECT_EQ(isDirectory(kEffects) && isDirectory(kInstruments),
                  c.output.find(failed) == std::string::npos);
    }
}
