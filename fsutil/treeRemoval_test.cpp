#include "fsutil/treeRemoval.h"

#include "fsutil/ofxFileUtils.h"
#include "testing/ChildProcess.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace testing_support;

// Links are removed, never followed; no depth or name length limit (at most 64 folders open).
TEST(RemoveTree, RemovesEverythingBelowButNeverFollowsLinks) {
    ScratchDir scratch;
    scratch.writeFile("outside/precious", "keep me");
    const std::string outside = scratch.path("outside"), top = scratch.makeDir("top");
    std::string deep = "top";
    for (int level = 0; level < 100; ++level) deep += "/d";
    scratch.writeFile(deep + "/" + std::string(250, 'n') + "/leaf", "x");
    scratch.writeFile("top/name with \"quotes\" $HOME `x` \\ and\nnewline \xc3\xa9", "odd");
    scratch.makeSymlink("top/sub/link", outside);
    scratch.makeSymlink("top/dangling", scratch.path("nowhere"));
    ofxEmptyDir(top);
    EXPECT_EQ(entriesOf(top), std::vector<std::string>{});
    scratch.writeFile("top/sub/file", "x");
    EXPECT_EQ(ofxDeleteDir(top), 0);
    EXPECT_FALSE(pathExists(top));
    EXPECT_EQ(ofxDeleteDir(top), -1);
    const std::string link = scratch.makeSymlink("link", outside);
    EXPECT_EQ(removeTree(link, RemovalMode::asOwner), 0);
    EXPECT_FALSE(pathExists(link));
    EXPECT_EQ(removeTree(scratch.path("outside/precious"), RemovalMode::asOwner), ENOTDIR);
    EXPECT_EQ(readFile(outside + "/precious"), "keep me");
}

// asOwner opens up the owner's locked folders first, asPermitted (rm -rf) not; others' stay.
TEST(RemoveTree, AsOwnerOpensUpOnlyTheOwnersFolders) {
    ScratchDir scratch;
    const std::string own = scratch.makeDir("own");
    scratch.writeFile("own/shared/foreign/kept", "x");  // root's, inside the user's
    for (const char* path : {"own", "own/shared"})
        ASSERT_EQ(chown(scratch.path(path).c_str(), 65534, 65534), 0);
    EXPECT_EQ(runUnprivileged([&] {
                  const std::string top = own + "/top";
                  for (const char* folder : {"", "/gone", "/locked", "/locked/closed"})
                      if (mkdir((top + folder).c_str(), 0755) != 0) return 1;
                  writeFile(top + "/gone/file", "x");
                  writeFile(top + "/locked/closed/file", "x");
                  chmod((top + "/locked/closed").c_str(), 0);
                  chmod((top + "/locked").c_str(), 0555);
                  if (removeTree(top, RemovalMode::asPermitted) != EACCES) return 2;
                  if (entriesOf(top) != std::vector<std::string>{"locked"}) return 3;
                  chmod(top.c_str(), 0555);
                  if (removeTree(top, RemovalMode::asOwner) != 0 || pathExists(top)) return 4;
                  return removeTree(own + "/shared", RemovalMode::asOwner) == EACCES ? 0 : 5;
              }),
              0);
    EXPECT_EQ(readFile(own + "/shared/foreign/kept"), "x");
}

// What is mounted inside the tree, or at its top, stays whole: EBUSY.
TEST(RemoveTree, NeverEntersAnotherMount) {
    ScratchDir scratch;
    const std::string elsewhere = scratch.makeDir("elsewhere");
    scratch.writeFile("elsewhere/precious", "keep me");
    scratch.writeFile("patch/file", "x");
    const std::string inner = scratch.makeDir("patch/mounted");
    const std::string mountedTop = scratch.makeDir("mountedTop");
    expectPassesInPrivateMounts([&] {
        if (mount(elsewhere.c_str(), inner.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(elsewhere.c_str(), mountedTop.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return kChildSetupFailed;
        for (RemovalMode mode : {RemovalMode::asPermitted, RemovalMode::asOwner}) {
            if (removeTree(scratch.path("patch"), mode) != EBUSY) return 1;
            if (removeTree(mountedTop, mode) != EBUSY) return 2;
            if (readFile(elsewhere + "/precious") != "keep me") return 3;
            if (pathExists(scratch.path("patch/file")) || !pathExists(inner)) return 4;
        }
        return 0;
    });
}
