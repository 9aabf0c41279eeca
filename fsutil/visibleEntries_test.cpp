#include "fsutil/visibleEntries.h"

#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <map>

using namespace testing_support;

namespace {

using Kinds = std::map<std::string, EntryKind>;

Kinds kindsIn(const std::string& directory, bool& opened) {
    Kinds kinds;
    opened = forEachVisibleEntry(
        directory, [&kinds](std::string_view name, EntryKind kind) { kinds.emplace(name, kind); });
    return kinds;
}

}  // namespace

TEST(ForEachVisibleEntry, ReportsEachVisibleEntryWithItsKindWithoutFollowingLinks) {
    ScratchDir scratch;
    scratch.makeDir("x/Sub");
    scratch.writeFile("x/Echo.pd", "");
    scratch.writeFile("x/.hidden", "");
    scratch.makeDir("x/.svn");
    scratch.makeSymlink("x/ToSub", scratch.path("x/Sub"));
    scratch.makeSymlink("x/Dangling", scratch.path("gone"));

    bool opened = false;
    std::string output = captureStdout([&] {
        // The file system of the scratch folder reports every kind, so no
        // entry comes out as unknown.
        EXPECT_EQ(kindsIn(scratch.path("x/"), opened), (Kinds{{"Sub", EntryKind::directory},
                                                              {"Echo.pd", EntryKind::other},
                                                              {"ToSub", EntryKind::symlink},
                                                              {"Dangling", EntryKind::symlink}}));
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(output, "");
}

TEST(ForEachVisibleEntry, SaysWhenTheDirectoryCannotBeOpened) {
    ScratchDir scratch;
    bool opened = true;
    std::string output =
        captureStdout([&] { EXPECT_TRUE(kindsIn(scratch.path("missing/"), opened).empty()); });
    EXPECT_FALSE(opened);
    EXPECT_EQ(output, "ofxDirList - error opening directory");

    output = captureStdout([&] { EXPECT_TRUE(kindsIn("", opened).empty()); });
    EXPECT_TRUE(opened);
    EXPECT_EQ(output, "");
}
