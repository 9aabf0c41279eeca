#include "library/VQAUUtils.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace testing_support;

// Visible folders and links to folders, one list for every type; removing a link removes it alone.
TEST(LoadPatches, ListsVisibleFoldersAndLinksToFoldersInOneList) {
    ScratchLibrary library;
    ScratchDir elsewhere;
    const std::string outside = elsewhere.writeFile("Outside/Outside.pd", "keep");
    for (const char* folder : {"/Echo/Sub", "/Drone", "/.svn"})
        std::filesystem::create_directories(kEffects + folder);
    writeFile(kEffects + "/readme.txt", "");
    writeFile(kEffects + "/Echo/Sub/data.txt", "");
    const std::pair<std::string, const char*> links[] = {{elsewhere.path("Outside"), "/Linked"},
                                                         {outside, "/FileLink"},
                                                         {elsewhere.path("gone"), "/Dangling"}};
    for (const auto& [target, name] : links)
        ASSERT_EQ(symlink(target.c_str(), (kEffects + name).c_str()), 0);
    std::vector<std::string>* patches = nullptr;
    EXPECT_EQ(captureStdout([&] { patches = loadPatches(EFFECTS_DIR); }), "File not found\n");
    std::vector<std::string> listed = *patches;
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{kEffects + "/Drone", kEffects + "/Echo",
                                                kEffects + "/Linked"}));
    std::filesystem::create_directory(kInstruments + "/Bass");
    EXPECT_EQ(loadPatches(INSTRUMENTS_DIR), patches);
    EXPECT_EQ(*patches, std::vector<std::string>{kInstruments + "/Bass"});
    std::filesystem::remove_all(kInstruments);
    captureStdout([&] { loadPatches(INSTRUMENTS_DIR); });
    EXPECT_TRUE(patches->empty());
    for (const char* patch : {"/Echo", "/Linked"}) uninstallPatch((kEffects + patch).c_str());
    EXPECT_EQ(captureStdout([&] { loadPatches(EFFECTS_DIR); }), "File not found\n");
    EXPECT_EQ(*patches, std::vector<std::string>{kEffects + "/Drone"});
    EXPECT_EQ(readFile(outside), "keep");
}
