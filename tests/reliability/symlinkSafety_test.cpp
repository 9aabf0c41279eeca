// Links in and around the library: a dropped folder holding links to "/", to
// files and folders outside and in loops is copied with its links as links;
// replacing and removing patches never follows a link; and nothing outside
// the type directory is written or removed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "library/VQAUUtils.h"
#include "tests/reliability/reliabilityHarness.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using namespace testing_support;
using testing_support::isSymlink;
using testing_support::kEffect;
using testing_support::kEffects;
using testing_support::pathExists;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;

namespace {

const char* install(const std::string& item) {
    std::vector<std::string> items{item};
    const char* type = nullptr;
    testing_support::captureStdout([&] { type = installFiles(items); });
    return type;
}

// Files and folders that links point to; none of them may ever change.
struct Outside {
    ScratchDir dir;
    Outside() {
        dir.writeFile("secret.txt", "secret");
        dir.writeFile("folder/keep.txt", "keep");
        dir.writeFile("folder/deep/keep.txt", "deep");
    }
    Tree tree() const { return treeOf(dir.root()); }
};

// A patch folder whose links lead out of it, or nowhere.
std::string writeLinkingPatch(const ScratchDir& in, const Outside& outside, const char* version) {
    in.writeFile(std::string(version) + "/Bass/Bass.pd", kEffect + version);
    const std::string folder = in.path(std::string(version) + "/Bass");
    const std::pair<const char*, std::string> links[] = {
        {"root", "/"},
        {"secret", outside.dir.path("secret.txt")},
        {"folder", outside.dir.path("folder")},
        {"sub/up", ".."},
        {"loop-a", "loop-b"},
        {"loop-b", "loop-a"},
        {"self", "self"},
        {"dangling", outside.dir.path("nothing")},
    };
    for (const auto& [name, target] : links)
        in.makeSymlink(std::string(version) + "/Bass/" + name, target);
    return folder;
}

TEST(SymlinkSafety, InstallingAndReplacingCopyLinksNeverTheirTargets) {
    ScratchLibrary library;
    ScratchDir in;
    const Outside outside;
    const Tree outsideBefore = outside.tree();
    const std::string v1 = writeLinkingPatch(in, outside, "v1");
    const std::string v2 = writeLinkingPatch(in, outside, "v2");
    const Tree sourcesBefore = treeOf(in.root());

    ASSERT_EQ(install(v1), EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(v1));
    EXPECT_TRUE(isSymlink(kEffects + "/Bass/root"));
    // Replacing deletes the earlier copy, links and all, without entering them.
    ASSERT_EQ(install(v2), EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(v2));
    EXPECT_EQ(outside.tree(), outsideBefore);
    EXPECT_TRUE(listsExactly(EFFECTS_DIR, {"Bass"}));

    uninstallPatch((kEffects + "/Bass").c_str());
    EXPECT_FALSE(pathExists(kEffects + "/Bass"));
    EXPECT_EQ(outside.tree(), outsideBefore);
    EXPECT_EQ(treeOf(in.root()), sourcesBefore);
}

TEST(SymlinkSafety, LinksInTheLibraryLeadNothingOutOfIt) {
    ScratchLibrary library;
    ScratchDir in;
    const Outside outside;
    const Tree outsideBefore = outside.tree();
    in.writeFile("Bass/Bass.pd", kEffect);

    // A listed patch that is a link to a folder outside: replacing it puts a
    // real folder in place of the link, removing it removes only the link.
    ASSERT_EQ(symlink(outside.dir.path("folder").c_str(), (kEffects + "/Bass").c_str()), 0);
    ASSERT_EQ(symlink(outside.dir.path("folder").c_str(), (kEffects + "/Linked").c_str()), 0);
    EXPECT_EQ(install(in.path("Bass")), EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(in.path("Bass")));
    uninstallPatch((kEffects + "/Linked").c_str());
    EXPECT_FALSE(pathExists(kEffects + "/Linked"));
    EXPECT_EQ(outside.tree(), outsideBefore);

    // Staging leftovers planted as links leading outside (of this version and
    // of earlier ones): the next install removes the links only.
    for (const char* leftover : {"/.installing", "/.veltrano-staging-planted"})
        ASSERT_EQ(symlink(outside.dir.path("folder").c_str(), (kEffects + leftover).c_str()), 0);
    EXPECT_EQ(install(in.path("Bass")), EFFECTS_DIR);
    EXPECT_EQ(entriesOf(kEffects), std::vector<std::string>{"Bass"});
    EXPECT_EQ(outside.tree(), outsideBefore);

    // A single file dropped onto a patch folder whose main file is a link
    // outside replaces the link, not the file it points to.
    ASSERT_EQ(unlink((kEffects + "/Bass/Bass.pd").c_str()), 0);
    ASSERT_EQ(symlink(outside.dir.path("secret.txt").c_str(), (kEffects + "/Bass/Bass.pd").c_str()),
              0);
    EXPECT_EQ(install(in.path("Bass/Bass.pd")), EFFECTS_DIR);
    EXPECT_FALSE(isSymlink(kEffects + "/Bass/Bass.pd"));
    EXPECT_EQ(outside.tree(), outsideBefore);

    // A single file is never written through a linked patch folder.
    ASSERT_EQ(symlink(outside.dir.path("folder").c_str(), (kEffects + "/Linked").c_str()), 0);
    EXPECT_EQ(install(in.writeFile("Linked.pd", kEffect)), nullptr);
    EXPECT_TRUE(isSymlink(kEffects + "/Linked"));
    EXPECT_EQ(outside.tree(), outsideBefore);
    EXPECT_EQ(treeOf(BASE_DIR + std::string("/Instruments")), Tree{});
}

}  // namespace
