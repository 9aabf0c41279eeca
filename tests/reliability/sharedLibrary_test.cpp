// One library, written by more than one importer and owned by a user who is
// not root: two installers of the same patch at once, an installer that must
// wait for another, and patches whose folders their owner made read-only.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "library/VQAUUtils.h"
#include "library/libraryLock.h"
#include "library/removal.h"
#include "testing/ChildProcess.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"
#include "tests/reliability/reliabilityHarness.h"

using namespace testing_support;

namespace {

constexpr uid_t kNobody = 65534;

StartedChild startInstall(const std::string& source) {
    return StartedChild([source] {
        silenceStdout();
        std::vector<std::string> items{source};
        return installFiles(items) == EFFECTS_DIR ? 0 : 1;
    });
}

// Nothing of an install is left beside the patches, and no lock file either.
::testing::AssertionResult onlyPatchesIn(const std::vector<std::string>& names) {
    if (entriesOf(BASE_DIR) != std::vector<std::string>{"Effects", "Instruments"})
        return ::testing::AssertionFailure() << "something was added to the library folder";
    if (entriesOf(EFFECTS_DIR) != names)
        return ::testing::AssertionFailure() << "the effects folder holds more than the patches";
    return ::testing::AssertionSuccess();
}

}  // namespace

// Two importers installing a patch of the same name at the same moment take
// turns: both succeed, and the library holds one of the two copies, whole.
TEST(SharedLibrary, TwoInstallersOfOneNameEachInstallWhole) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string sources[] = {writePatchFolder(in, "a/Chorus", kEffect, 60, 8192, 'a'),
                                   writePatchFolder(in, "b/Chorus", kEffect, 60, 8192, 'b')};
    const Tree copies[] = {treeOf(sources[0]), treeOf(sources[1])};
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        StartedChild first = startInstall(sources[round % 2]);
        StartedChild second = startInstall(sources[1 - round % 2]);
        EXPECT_EQ(first.wait(), 0);
        EXPECT_EQ(second.wait(), 0);
        const Tree installed = treeOf(kEffects + "/Chorus");
        EXPECT_TRUE(installed == copies[0] || installed == copies[1]);
        EXPECT_TRUE(onlyPatchesIn({"Chorus"}));
    }
}

// An importer that finds the library busy waits for it instead of failing.
// The lock is held by another process: a child forked while this process
// held it would share the lock it waits for.
TEST(SharedLibrary, AnInstallerWaitsWhileAnotherHoldsTheLibrary) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string source = writePatchFolder(in, "Echo", kEffect, 2, 100, 'e');
    int held[2], release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    StartedChild holder([&] {
        const LibraryLock lock;
        char byte = 'h';
        return write(held[1], &byte, 1) == 1 && read(release[0], &byte, 1) == 1 ? 0 : 1;
    });
    char byte;
    ASSERT_EQ(read(held[0], &byte, 1), 1);
    StartedChild install = startInstall(source);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(pathExists(kEffects + "/Echo"));
    ASSERT_EQ(write(release[1], &byte, 1), 1);
    EXPECT_EQ(holder.wait(), 0);
    EXPECT_EQ(install.wait(), 0);
    EXPECT_TRUE(onlyPatchesIn({"Echo"}));
    for (int fd : {held[0], held[1], release[0], release[1]}) close(fd);
}

// cp keeps modes: a patch copied from read-only folders is read-only in the
// library too, where its owner must still be able to replace and delete it.
TEST(SharedLibrary, TheOwnerReplacesAndDeletesReadOnlyPatches) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string source = writePatchFolder(in, "Tape", kEffect, 4, 100, 't');
    for (const char* folder : {"Tape/sub", "Tape"}) chmod(in.path(folder).c_str(), 0555);
    ASSERT_EQ(chown(EFFECTS_DIR, kNobody, kNobody), 0);

    const int outcome = runUnprivileged([&] {
        silenceStdout();
        const std::string patch = kEffects + "/Tape";
        for (int install = 0; install < 2; ++install) {
            std::vector<std::string> items{source};
            if (installFiles(items) != EFFECTS_DIR) return 1 + install;
        }
        for (const std::string& folder : {patch, patch + "/sub"}) {
            struct stat info;
            if (stat(folder.c_str(), &info) != 0 || (info.st_mode & 0777) != 0555) return 3;
        }
        if (removeInstalledPatch(patch) != 0) return 4;
        return onlyPatchesIn({}) ? 0 : 5;
    });
    EXPECT_EQ(outcome, 0);
}
