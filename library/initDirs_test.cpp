#include "library/VQAUUtils.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::captureStdout;
using testing_support::isDirectory;
using testing_support::kEffects;
using testing_support::kInstruments;
using testing_support::pathExists;
using testing_support::ScratchLibrary;

namespace {

TEST(InitDirs, CreatesEachMissingFolderOnceAndThenOnlyAnnouncesItself) {
    ScratchLibrary library(false);
    EXPECT_EQ(captureStdout(initDirs),
              "initDirs()\nFile not found\nFile not found\nFile not found\n");
    EXPECT_TRUE(isDirectory(BASE_DIR));
    EXPECT_TRUE(isDirectory(kEffects));
    EXPECT_TRUE(isDirectory(kInstruments));

    testing_support::writeFile(kEffects + "/keep.txt", "kept");
    EXPECT_EQ(captureStdout(initDirs), "initDirs()\n");
    EXPECT_EQ(testing_support::readFile(kEffects + "/keep.txt"), "kept");
}

TEST(InitDirs, CreatesOnlyTheMissingTypeDirectory) {
    ScratchLibrary library;
    testing_support::writeFile(kEffects + "/keep.txt", "kept");
    ASSERT_EQ(rmdir(INSTRUMENTS_DIR), 0);
    EXPECT_EQ(captureStdout(initDirs), "initDirs()\nFile not found\n");
    EXPECT_TRUE(isDirectory(kInstruments));
    EXPECT_EQ(testing_support::readFile(kEffects + "/keep.txt"), "kept");
}

TEST(InitDirs, ReportsABaseDirectoryThatCannotBeMadeAndGoesOn) {
    {
        ScratchLibrary library(false);
        testing_support::writeFile(BASE_DIR, "in the way");
        EXPECT_EQ(captureStdout(initDirs),
                  "initDirs()\nCouldn't create base directory \nFile not found\nFile not found\n");
        EXPECT_EQ(testing_support::readFile(BASE_DIR), "in the way");
    }
    {
        ScratchLibrary library(false);
        ASSERT_EQ(rmdir(ScratchLibrary::parentDir().c_str()), 0);
        EXPECT_EQ(captureStdout(initDirs),
                  "initDirs()\nFile not found\nCouldn't create base directory \n"
                  "File not found\nFile not found\n");
        EXPECT_FALSE(pathExists(ScratchLibrary::parentDir()));
    }
}

}  // namespace
