// A fault in an install installs nothing and leaves the library and the sources alone.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "library/installation.h"
#include "library/removal.h"
#include "params/PdPluginParameters.h"
#include "testing/RecordingWatcher.h"
#include "tests/reliability/reliabilityHarness.h"

using namespace testing_support;
using InstallFaults = LibraryScene;

namespace {

// Each item of `in`, installed in a child that `run` starts, installs and changes nothing.
void expectEachInstallsNothing(const ScratchDir& in, const std::vector<std::string>& items,
                               const std::function<int(const std::function<int()>&)>& run) {
    const Tree before = libraryTree(), sources = treeOf(in.root());
    for (const std::string& item : items) {
        EXPECT_EQ(run([&] { return installOutcome({in.path(item)}); }), kNothingInstalled) << item;
        EXPECT_EQ(libraryTree(), before) << item;
        EXPECT_EQ(treeOf(in.root()), sources) << item;
    }
}

}  // namespace

// A full disk, an unreadable file or folder, a source gone, a file or link in the way, no type
// directory: each in turn, the earlier copies stay.
TEST_F(InstallFaults, EachFaultInstallsNothingAndKeepsTheEarlierCopy) {
    constexpr rlim_t kLimit = 256 * 1024;
    ASSERT_NE(installQuietly(
                  {writePatchFolder(in, "v1/Bass", 6, '1'), in.writeFile("v1/Solo.pd", kEffect)})
                  .type,
              nullptr);
    // The big file sits among small ones, so some files are copied first.
    const std::string big = kEffect + std::string(2 * kLimit, 'z');
    for (const std::string folder : {"full/Bass", "full/Fresh"}) {
        writePatchFolder(in, folder, 6, '2', 1000);
        in.writeFile(folder + "/sub/zz-big.wav", big);
    }
    for (const char* file : {"full/Solo.pd", "full/New.pd"}) in.writeFile(file, big);
    expectEachInstallsNothing(
        in, {"full/Bass", "full/Fresh", "full/Solo.pd", "full/New.pd"},
        [](const auto& install) { return runWithFileSizeLimit(kLimit, install); });
    writePatchFolder(in, "file/Bass", 3, '2');
    writePatchFolder(in, "folder/Bass", 5, '2');
    in.writeFile("main/Bass/Bass.pd", kEffect);
    in.writeFile("single/Bass.pd", kEffect);
    for (const char* path :
         {"file/Bass/only-2.txt", "folder/Bass/sub", "main/Bass/Bass.pd", "single/Bass.pd"})
        ASSERT_EQ(chmod(in.path(path).c_str(), 0), 0);
    expectEachInstallsNothing(
        in, {"file/Bass", "folder/Bass", "main/Bass", "single/Bass.pd"}, [&](const auto& install) {
            return runWithoutFileOverrides([&] {
                // Without this the fault would not really be there.
                return access(in.path("single/Bass.pd").c_str(), R_OK) == 0 ? kChildSetupFailed
                                                                            : install();
            });
        });
    const std::string source = writePatchFolder(in, "gone/Bass", 3, '2');
    const std::string path = writeStandInCp(in, "rm -rf -- \"$SOURCE\"");
    const Tree before = libraryTree();
    EXPECT_EQ(runInChild([&] {
                  setenv("PATH", path.c_str(), 1);
                  std::vector<std::string> items{source};
                  const InstallReport report = installItems(items);
                  // The reason told is cp's own, without the "cp: cannot stat '…'" before it.
                  const bool told = report.items.at(0).reason == std::strerror(ENOENT);
                  return report.lastType == nullptr && told ? kNothingInstalled : kInstalled;
              }),
              kNothingInstalled);
    EXPECT_FALSE(pathExists(source));  // the stand-in cp did remove it
    EXPECT_EQ(libraryTree(), before);
    for (const char* name : {"Keys", "Lead"}) writePatchFolder(in, name, 3, '1');
    in.writeFile("Keys.pd", kEffect);
    writeFile(kEffects + "/Keys", "plain");
    ASSERT_EQ(symlink("nowhere", (kEffects + "/Lead").c_str()), 0);
    expectEachInstallsNothing(in, {"Keys", "Keys.pd", "Lead"}, runInChild);
    std::filesystem::remove_all(kEffects);
    expectEachInstallsNothing(in, {"Keys", "Keys.pd"}, runInChild);
}

// A main file that is a pipe or links to /dev/zero installs, without parameters or a hang.
TEST_F(InstallFaults, SpecialFilesAsPatchContentNeverHang) {
    in.makeDir("Pipe");
    ASSERT_EQ(mkfifo(in.path("Pipe/Pipe.pd").c_str(), 0644), 0);
    in.makeSymlink("Zero/Zero.pd", "/dev/zero");
    EXPECT_EQ(runInChild([&] {
                  alarm(60);
                  if (installOutcome({in.path("Pipe"), in.path("Zero")}) != kInstalled) return -1;
                  PdPluginParameters reader;
                  reader.load((kEffects + "/Pipe").c_str());
                  reader.load((kEffects + "/Zero").c_str());
                  return reader.size();
              }),
              0);
    EXPECT_EQ(treeOf(kEffects), (Tree{{"Pipe", "<dir>"},
                                      {"Pipe/Pipe.pd", "<other>"},
                                      {"Zero", "<dir>"},
                                      {"Zero/Zero.pd", "-> /dev/zero"}}));
}

// The library on a file system of its own whose trash can't be made (a file where it would be),
// and no home trash either: an earlier copy goes only when allowed, else stays exactly as it was;
// a file bigger than the free space is refused; a leftover holding an earlier copy stays.
TEST_F(InstallFaults, WithoutATrashAnEarlierCopyGoesOnlyWhenAllowed) {
    const std::string parent = ScratchLibrary::parentDir(), notAFolder = in.writeFile("home", "");
    const std::string v1 = writePatchFolder(in, "v1/Rev", 2, '1');
    const std::string v2 = writePatchFolder(in, "v2/Rev", 2, '2');
    const std::string huge = in.writeFile("Huge.pd", std::string(9 << 20, 'h'));
    expectPassesInPrivateMounts([&] {
        if (mount("tmpfs", parent.c_str(), "tmpfs", 0, "size=8m") != 0) return kChildSetupFailed;
        for (const char* folder : {BASE_DIR, EFFECTS_DIR, INSTRUMENTS_DIR}) mkdir(folder, 0755);
        writeFile(parent + "/.Trash-" + std::to_string(geteuid()), "");
        setenv("XDG_DATA_HOME", (notAFolder + "/data").c_str(), 1);
        EXPECT_NE(installQuietly({v1, in.writeFile("v1/Solo.pd", "1")}).type, nullptr);
        const Tree before = libraryTree();
        RecordingWatcher keep;
        keep.replaceAnswer = false;
        const Reported kept = installReported({v2, in.writeFile("v2/Solo.pd", "2"), huge}, &keep);
        using enum ItemOutcome;
        EXPECT_EQ(kept.outcomes(), (std::vector{keptEarlierCopy, keptEarlierCopy, noRoom}));
        EXPECT_EQ(keep.asked, (std::vector<std::string>{"Rev", "Solo"}));
        EXPECT_NE(kept.report.items.at(0).trashFailure.error, 0);
        EXPECT_NE(kept.output.find("Kept the earlier “Rev”: "), std::string::npos);
        EXPECT_EQ(libraryTree(), before);
        std::filesystem::create_directories(kEffects + "/.veltrano-staging-a1b2c3/Old");
        const Reported replaced = installReported({v2});
        EXPECT_EQ(replaced.report.items.at(0).earlier, EarlierCopy::deleted);
        EXPECT_NE(replaced.output.find("Replaced “Rev” for good: "), std::string::npos);
        EXPECT_NE(replaced.output.find("“Old” can't go to the trash"), std::string::npos);
        EXPECT_TRUE(isDirectory(kEffects + "/.veltrano-staging-a1b2c3/Old"));

        // With a home trash on the other disk, the earlier copy is copied there, and
        // Undo copies it back: a replace's and a delete's (v2 stays the one installed).
        setenv("XDG_DATA_HOME", in.path("data").c_str(), 1);
        Reported copied = installReported({v1});
        EXPECT_EQ(copied.report.items.at(0).earlier, EarlierCopy::trashed);
        EXPECT_EQ(swapBackReplacedCopy(copied.report.replaced.at(0).trashed), 0);
        const TrashResult deleted = trashInstalledPatch(kEffects + "/Rev");
        EXPECT_EQ(restoreTrashedPatch(deleted.item), 0);
        EXPECT_EQ(treeOf(kEffects + "/Rev"), treeOf(v2));
        // The leftover went to the trash too, now that there is one; the newer copy took
        // the next free name while the earlier one was still there.
        EXPECT_EQ(entriesOf(in.path("data/Trash/files")),
                  (std::vector<std::string>{"Old", "Rev.2"}));
        EXPECT_EQ(treeOf(in.path("data/Trash/files/Rev.2")), treeOf(v1));
        return 0;
    });
}
