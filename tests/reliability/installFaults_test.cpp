// Faults injected into an install that replaces a patch (or makes a new
// one): a full disk part-way through a copy, an unreadable file, a source
// that vanishes before the copy, a missing type directory, a file in the way,
// special files as patch content. Each time the library must hold exactly the
// earlier copy (or the complete new one), with nothing hidden left behind,
// the result must say whether anything was installed, and the sources must be
// as they were.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "library/VQAUUtils.h"
#include "tests/reliability/reliabilityHarness.h"
#include "params/PdPluginParameters.h"
#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using namespace testing_support;
using testing_support::kEffect;
using testing_support::kEffects;
using testing_support::pathExists;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;

namespace {

constexpr int kInstalled = 0, kNothingInstalled = 1;
// A child that cannot set up its fault.
constexpr int kUnprepared = 2;

// Installs the items in the calling process and tells whether it claimed
// success, as a child's exit code.
int installOutcome(std::vector<std::string> items) {
    silenceStdout();
    return installFiles(items) == nullptr ? kNothingInstalled : kInstalled;
}

// The library and the sources, taken before a faulty install, and the check
// that the install changed neither.
class Unchanged {
public:
    explicit Unchanged(const ScratchDir& sources)
        : sources_(sources), library_(libraryTree()), sourceTree_(treeOf(sources.root())) {}
    ::testing::AssertionResult holds() const {
        if (libraryTree() != library_) return ::testing::AssertionFailure() << "library changed";
        if (treeOf(sources_.root()) != sourceTree_)
            return ::testing::AssertionFailure() << "sources changed";
        return ::testing::AssertionSuccess();
    }

private:
    const ScratchDir& sources_;
    const Tree library_, sourceTree_;
};

void installForTheTest(const std::string& item) {
    std::vector<std::string> items{item};
    testing_support::captureStdout([&] { ASSERT_NE(installFiles(items), nullptr); });
}

TEST(InstallFaults, AFullDiskPartWayThroughACopyKeepsTheEarlierCopy) {
    ScratchLibrary library;
    ScratchDir in;
    constexpr rlim_t kLimit = 256 * 1024;
    installForTheTest(writePatchFolder(in, "v1/Bass", kEffect, 6, 1000, '1'));
    installForTheTest(in.writeFile("v1/Solo.pd", kEffect + std::string(1000, '1')));
    // The big file sits among small ones, so some files are copied first.
    writePatchFolder(in, "v2/Bass", kEffect, 6, 1000, '2');
    in.writeFile("v2/Bass/sub/zz-big.wav", std::string(2 * kLimit, 'z'));
    writePatchFolder(in, "v2/Fresh", kEffect, 6, 1000, '2');
    in.writeFile("v2/Fresh/big.wav", std::string(2 * kLimit, 'z'));
    const std::string bigFile = kEffect + std::string(2 * kLimit, 'z');
    in.writeFile("v2/Solo.pd", bigFile);
    in.writeFile("v2/New.pd", bigFile);
    const Unchanged unchanged(in);

    for (const char* item : {"v2/Bass", "v2/Fresh", "v2/Solo.pd", "v2/New.pd"}) {
        SCOPED_TRACE(item);
        EXPECT_EQ(testing_support::runWithFileSizeLimit(
                      kLimit, [&] { return installOutcome({in.path(item)}); }),
                  kNothingInstalled);
        EXPECT_TRUE(unchanged.holds());
        EXPECT_TRUE(listsExactly(EFFECTS_DIR, {"Bass", "Solo"}));
    }
}

TEST(InstallFaults, AnUnreadableFileOrFolderFailsTheWholeCopy) {
    ScratchLibrary library;
    ScratchDir in;
    installForTheTest(writePatchFolder(in, "v1/Bass", kEffect, 3, 100, '1'));
    writePatchFolder(in, "file/Bass", kEffect, 3, 100, '2');
    ASSERT_EQ(chmod(in.path("file/Bass/only-2.txt").c_str(), 0), 0);
    writePatchFolder(in, "folder/Bass", kEffect, 5, 100, '2');
    ASSERT_EQ(chmod(in.path("folder/Bass/sub").c_str(), 0), 0);
    in.writeFile("main/Bass/Bass.pd", kEffect);
    ASSERT_EQ(chmod(in.path("main/Bass/Bass.pd").c_str(), 0), 0);
    in.writeFile("single/Bass.pd", kEffect);
    ASSERT_EQ(chmod(in.path("single/Bass.pd").c_str(), 0), 0);
    const Unchanged unchanged(in);

    for (const char* item : {"file/Bass", "folder/Bass", "main/Bass", "single/Bass.pd"}) {
        SCOPED_TRACE(item);
        EXPECT_EQ(testing_support::runWithoutFileOverrides([&] {
                      // Without this the fault would not really be there.
                      if (access(in.path("file/Bass/only-2.txt").c_str(), R_OK) == 0)
                          return kUnprepared;
                      return installOutcome({in.path(item)});
                  }),
                  kNothingInstalled);
        EXPECT_TRUE(unchanged.holds());
    }
}

TEST(InstallFaults, ASourceRemovedBeforeTheCopyInstallsNothing) {
    ScratchLibrary library;
    ScratchDir in;
    installForTheTest(writePatchFolder(in, "v1/Bass", kEffect, 3, 100, '1'));
    const std::string source = writePatchFolder(in, "v2/Bass", kEffect, 3, 100, '2');
    const std::string bin = writeStandInCp(in, "rm -rf -- \"$SOURCE\"");
    const Tree before = libraryTree();

    EXPECT_EQ(testing_support::runInChild([&] {
                  putFirstOnPath(bin);
                  return installOutcome({source});
              }),
              kNothingInstalled);
    EXPECT_FALSE(pathExists(source));  // the stand-in cp did remove it
    EXPECT_EQ(libraryTree(), before);
}

TEST(InstallFaults, NothingIsInstalledWithoutATypeDirectoryOrOverAFile) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string folder = writePatchFolder(in, "Bass", kEffect, 3, 100, '1');
    const std::string file = in.writeFile("Bass.pd", kEffect);
    const std::string other = in.writeFile("Other.pd", kEffect);

    // A plain file where the patch folder would go.
    testing_support::writeFile(kEffects + "/Bass", "plain");
    {
        const Unchanged unchanged(in);
        EXPECT_EQ(testing_support::runInChild([&] { return installOutcome({folder}); }),
                  kNothingInstalled);
        EXPECT_EQ(testing_support::runInChild([&] { return installOutcome({file}); }),
                  kNothingInstalled);
        EXPECT_TRUE(unchanged.holds());
    }
    ASSERT_EQ(unlink((kEffects + "/Bass").c_str()), 0);

    ASSERT_EQ(rmdir(EFFECTS_DIR), 0);
    const Unchanged unchanged(in);
    for (const std::string& item : {folder, file, other}) {
        SCOPED_TRACE(item);
        EXPECT_EQ(testing_support::runInChild([&] { return installOutcome({item}); }),
                  kNothingInstalled);
        EXPECT_TRUE(unchanged.holds());
    }
}

// A main patch file that is a pipe, or a link to an endless device, is
// installed as an effect like any other content instead of hanging the
// importer; reading its parameters gives none. The alarm only ends a hang.
TEST(InstallFaults, SpecialFilesAsPatchContentNeverHang) {
    ScratchLibrary library;
    ScratchDir in;
    in.makeDir("Pipe");
    ASSERT_EQ(mkfifo(in.path("Pipe/Pipe.pd").c_str(), 0644), 0);
    in.makeSymlink("Zero/Zero.pd", "/dev/zero");
    EXPECT_EQ(testing_support::runInChild([&] {
                  alarm(60);
                  if (installOutcome({in.path("Pipe"), in.path("Zero")}) != kInstalled)
                      return kNothingInstalled;
                  PdPluginParameters reader;
                  reader.load((kEffects + "/Pipe").c_str());
                  reader.load((kEffects + "/Zero").c_str());
                  return reader.size();
              }),
              0);
    EXPECT_TRUE(listsExactly(EFFECTS_DIR, {"Pipe", "Zero"}));
    EXPECT_EQ(treeOf(kEffects + "/Zero"), (Tree{{"Zero.pd", "-> /dev/zero"}}));
    EXPECT_EQ(treeOf(kEffects + "/Pipe"), (Tree{{"Pipe.pd", "<other>"}}));
}

}  // namespace
