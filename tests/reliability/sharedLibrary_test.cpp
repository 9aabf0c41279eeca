// One library written by more than one importer, and owned by a user who is not root.

#include <gtest/gtest.h>
#include <unistd.h>
#include <chrono>
#include <filesystem>
#include <thread>
#include "library/libraryLock.h"
#include "library/removal.h"
#include "testing/RecordingWatcher.h"
#include "tests/reliability/reliabilityHarness.h"

using namespace testing_support;

using SharedLibrary = LibraryScene;

// Two importers installing one name take turns: both succeed, one copy stays whole.
TEST_F(SharedLibrary, TwoInstallersOfOneNameEachInstallWhole) {
    const std::string sources[] = {writePatchFolder(in, "a/Chorus", 60, 'a', 8192),
                                   writePatchFolder(in, "b/Chorus", 60, 'b', 8192)};
    const Tree copies[] = {treeOf(sources[0]), treeOf(sources[1])};
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        StartedChild first = startInstall({sources[round % 2]});
        StartedChild second = startInstall({sources[1 - round % 2]});
        EXPECT_TRUE(first.wait() == 0 && second.wait() == 0);
        const Tree installed = treeOf(kEffects + "/Chorus");
        EXPECT_TRUE(installed == copies[0] || installed == copies[1]);
        // Nothing of an install is left beside the patches, and no lock file either.
        EXPECT_EQ(entriesOf(BASE_DIR), (std::vector<std::string>{"Effects", "Instruments"}));
        EXPECT_EQ(entriesOf(EFFECTS_DIR), std::vector<std::string>{"Chorus"});
    }
}

// Held by another process (a child forked while this one held it would share the lock): an
// install waits, or gives up when cancelled.
TEST_F(SharedLibrary, AnInstallerWaitsWhileAnotherHoldsTheLibrary) {
    const std::string source = writePatchFolder(in, "Echo", 2, 'e');
    int held[2], release[2];
    ASSERT_TRUE(pipe(held) == 0 && pipe(release) == 0);
    StartedChild holder([&] {
        const LibraryLock lock;
        char byte = 'h';
        return write(held[1], &byte, 1) == 1 && read(release[0], &byte, 1) == 1 ? 0 : 1;
    });
    char byte;
    ASSERT_EQ(read(held[0], &byte, 1), 1);
    RecordingWatcher watcher;
    watcher.cancelWhen = [&watcher] { return watcher.toldWaiting; };
    const auto asked = std::chrono::steady_clock::now();
    const Reported cancelled = installReported({source, in.path("gone")}, &watcher);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
    EXPECT_EQ(cancelled.outcomes(), std::vector(2, ItemOutcome::cancelled));
    EXPECT_EQ(cancelled.output, "cancelled\n");
    StartedChild install = startInstall({source});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(pathExists(kEffects + "/Echo"));
    ASSERT_EQ(write(release[1], &byte, 1), 1);
    EXPECT_EQ(holder.wait(), 0);
    EXPECT_EQ(install.wait(), 0);
    EXPECT_EQ(entriesOf(EFFECTS_DIR), std::vector<std::string>{"Echo"});
    for (int fd : {held[0], held[1], release[0], release[1]}) close(fd);
}

// cp keeps modes: the owner replaces and deletes a patch copied from read-only folders.
TEST_F(SharedLibrary, TheOwnerReplacesAndDeletesReadOnlyPatches) {
    const std::string source = writePatchFolder(in, "Tape", 4, 't');
    for (const char* folder : {"Tape/sub", "Tape"}) chmod(in.path(folder).c_str(), 0555);
    ASSERT_EQ(chown(EFFECTS_DIR, 65534, 65534), 0);
    EXPECT_EQ(
        runUnprivileged([&] {
            const std::string patch = kEffects + "/Tape";
            for (int install = 0; install < 2; ++install)
                if (installOutcome({source}) != kInstalled) return 1 + install;
            for (const std::string& folder : {patch, patch + "/sub"})
                if (std::filesystem::status(folder).permissions() != std::filesystem::perms{0555})
                    return 3;
            if (removeInstalledPatch(patch) != 0) return 4;
            return entriesOf(EFFECTS_DIR).empty() ? 0 : 5;
        }),
        0);
}
