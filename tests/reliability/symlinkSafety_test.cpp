// Links in and around the library are copied and removed as links, never followed.

#include <gtest/gtest.h>
#include <unistd.h>
#include "tests/reliability/reliabilityHarness.h"

using namespace testing_support;
using SymlinkSafety = LibraryScene;

TEST_F(SymlinkSafety, LinksAreCopiedAndRemovedAsLinksAndLeadNothingOutOfTheLibrary) {
    ScratchDir outside;
    outside.writeFile("secret.txt", "secret");
    const std::string folder = outside.path("folder");
    outside.writeFile("folder/deep/keep.txt", "deep");
    const Tree outsideBefore = treeOf(outside.root());
    for (const std::string version : {"v1", "v2"}) {
        in.writeFile(version + "/Bass/Bass.pd", kEffect + version);
        const std::pair<const char*, std::string> links[] = {
            {"root", "/"},        {"secret", outside.path("secret.txt")},
            {"folder", folder},   {"sub/up", ".."},
            {"loop-a", "loop-b"}, {"loop-b", "loop-a"},
            {"self", "self"},     {"dangling", outside.path("nothing")}};
        for (const auto& [name, target] : links) in.makeSymlink(version + "/Bass/" + name, target);
    }
    const Tree sourcesBefore = treeOf(in.root());
    // Replacing deletes the earlier copy, links and all, without entering them.
    for (const char* version : {"v1", "v2"}) {
        ASSERT_EQ(installQuietly({in.path(version) + "/Bass"}).type, EFFECTS_DIR);
        EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(in.path(version) + "/Bass"));
        EXPECT_EQ(entriesOf(kEffects), std::vector<std::string>{"Bass"});
    }
    uninstallPatch((kEffects + "/Bass").c_str());
    EXPECT_EQ(treeOf(in.root()), sourcesBefore);
    in.writeFile("Bass/Bass.pd", kEffect);
    const auto plantLink = [](const std::string& target, const std::string& name) {
        ASSERT_EQ(symlink(target.c_str(), (kEffects + name).c_str()), 0);
    };
    // A real folder replaces a listed patch that links outside (removing one: LoadPatches).
    plantLink(folder, "/Bass");
    EXPECT_EQ(installQuietly({in.path("Bass")}).type, EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(in.path("Bass")));
    // Staging leftovers that link outside, of this version and earlier: the links go.
    plantLink(folder, "/.installing");
    plantLink(folder, "/.veltrano-staging-planted");
    EXPECT_EQ(installQuietly({in.path("Bass")}).type, EFFECTS_DIR);
    EXPECT_EQ(entriesOf(kEffects), std::vector<std::string>{"Bass"});
    // A single file replaces a main file that links outside, not the file it points to.
    ASSERT_EQ(unlink((kEffects + "/Bass/Bass.pd").c_str()), 0);
    plantLink(outside.path("secret.txt"), "/Bass/Bass.pd");
    EXPECT_EQ(installQuietly({in.path("Bass/Bass.pd")}).type, EFFECTS_DIR);
    EXPECT_FALSE(isSymlink(kEffects + "/Bass/Bass.pd"));
    // A single file is never written through a linked patch folder.
    plantLink(folder, "/Linked");
    EXPECT_EQ(installQuietly({in.writeFile("Linked.pd", kEffect)}).type, nullptr);
    EXPECT_TRUE(isSymlink(kEffects + "/Linked"));
    EXPECT_EQ(treeOf(outside.root()), outsideBefore);
    EXPECT_EQ(treeOf(kInstruments), Tree{});
}
