#include "library/VQAUUtils.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

using testing_support::captureStdout;
using testing_support::kEffects;
using testing_support::kInstruments;
using testing_support::pathExists;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;

namespace {

std::vector<std::string> sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(LoadPatches, ListsVisibleFoldersAndLinksToFolders) {
    ScratchLibrary library;
    ScratchDir elsewhere;
    std::string outsideFolder = elsewhere.makeDir("Outside");
    std::string outsideFile = elsewhere.writeFile("file.pd", "");
    for (const char* folder : {"/Echo", "/Drone", "/.svn", "/NoMainFile"})
        ASSERT_EQ(mkdir((kEffects + folder).c_str(), 0777), 0);
    testing_support::writeFile(kEffects + "/readme.txt", "");
    ASSERT_EQ(symlink(outsideFolder.c_str(), (kEffects + "/Linked").c_str()), 0);
    ASSERT_EQ(symlink(outsideFile.c_str(), (kEffects + "/FileLink").c_str()), 0);
    ASSERT_EQ(symlink(elsewhere.path("gone").c_str(), (kEffects + "/Dangling").c_str()), 0);

    std::vector<std::string>* patches = nullptr;
    EXPECT_EQ(captureStdout([&] { patches = loadPatches(EFFECTS_DIR); }), "File not found\n");
    ASSERT_NE(patches, nullptr);
    EXPECT_EQ(sorted(*patches),
              (std::vector<std::string>{kEffects + "/Drone", kEffects + "/Echo",
                                        kEffects + "/Linked", kEffects + "/NoMainFile"}));
    const std::vector<std::string> firstLoad = *patches;
    captureStdout([&] { EXPECT_EQ(*loadPatches(EFFECTS_DIR), firstLoad); });
}

TEST(LoadPatches, KeepsOneListAtOneAddressAcrossTypes) {
    ScratchLibrary library;
    ASSERT_EQ(mkdir((kEffects + "/Echo").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((kInstruments + "/Bass").c_str(), 0777), 0);
    std::vector<std::string>* effects = loadPatches(EFFECTS_DIR);
    EXPECT_EQ(*effects, std::vector<std::string>{kEffects + "/Echo"});
    std::vector<std::string>* instruments = loadPatches(INSTRUMENTS_DIR);
    EXPECT_EQ(instruments, effects);
    EXPECT_EQ(*effects, std::vector<std::string>{kInstruments + "/Bass"});

    ASSERT_EQ(rmdir((kInstruments + "/Bass").c_str()), 0);
    EXPECT_TRUE(loadPatches(INSTRUMENTS_DIR)->empty());
    ASSERT_EQ(rmdir(INSTRUMENTS_DIR), 0);
    std::string output = captureStdout([&] { EXPECT_EQ(loadPatches(INSTRUMENTS_DIR), effects); });
    EXPECT_EQ(output, "ofxDirList - error opening directory");
    EXPECT_TRUE(effects->empty());
}

TEST(UninstallPatch, RemovesTheFolderOrOnlyTheLink) {
    ScratchLibrary library;
    ScratchDir elsewhere;
    std::string outside = elsewhere.writeFile("Outside/Outside.pd", "keep");
    ASSERT_EQ(mkdir((kEffects + "/Echo").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((kEffects + "/Echo/Sub").c_str(), 0777), 0);
    testing_support::writeFile(kEffects + "/Echo/Echo.pd", "");
    testing_support::writeFile(kEffects + "/Echo/Sub/data.txt", "");
    ASSERT_EQ(symlink(elsewhere.path("Outside").c_str(), (kEffects + "/Linked").c_str()), 0);

    const std::vector<std::string> listed = *loadPatches(EFFECTS_DIR);
    ASSERT_EQ(listed.size(), 2u);
    std::string output = captureStdout([&] {
        for (const std::string& patch : listed) uninstallPatch(patch.c_str());
    });
    EXPECT_EQ(output, "");
    EXPECT_TRUE(loadPatches(EFFECTS_DIR)->empty());
    EXPECT_FALSE(pathExists(kEffects + "/Echo"));
    EXPECT_FALSE(pathExists(kEffects + "/Linked"));
    EXPECT_EQ(testing_support::readFile(outside), "keep");
}

}  // namespace
