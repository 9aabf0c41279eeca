#include "fsutil/visibleEntries.h"

#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <map>

using namespace testing_support;

TEST(ForEachVisibleEntry, ReportsEachVisibleEntryWithItsKindWithoutFollowingLinks) {
    ScratchDir scratch;
    scratch.makeDir("x/Sub");
    scratch.writeFile("x/Echo.pd", "");
    scratch.writeFile("x/.hidden", "");
    scratch.makeSymlink("x/ToSub", scratch.path("x/Sub"));
    scratch.makeSymlink("x/Dangling", scratch.path("gone"));
    std::map<std::string, EntryKind> kinds;
    const auto collect = [&kinds](std::string_view name, EntryKind kind) {
        kinds.emplace(name, kind);
    };
    // The scratch folder's file system reports every kind: none is unknown.
    EXPECT_EQ(captureStdout([&] { EXPECT_TRUE(forEachVisibleEntry(scratch.path("x"), collect)); }),
              "");
    EXPECT_EQ(kinds, (std::map<std::string, EntryKind>{{"Sub", EntryKind::directory},
                                                       {"Echo.pd", EntryKind::other},
                                                       {"ToSub", EntryKind::symlink},
                                                       {"Dangling", EntryKind::symlink}}));
    EXPECT_EQ(
        captureStdout([&] { EXPECT_FALSE(forEachVisibleEntry(scratch.path("missing"), collect)); }),
        "ofxDirList - error opening directory");
    EXPECT_EQ(captureStdout([&] { EXPECT_TRUE(forEachVisibleEntry("", collect)); }), "");
    EXPECT_EQ(kinds.size(), 4u);
}
