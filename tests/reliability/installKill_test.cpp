// The installing process killed with SIGKILL at random moments while it
// replaces a patch folder: before, during and after cp, during the exchange
// and while the earlier copy is deleted. Whenever it dies, the patch's name
// must hold exactly the earlier or exactly the new copy.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "fsutil/UniqueFd.h"
#include "library/VQAUUtils.h"
#include "tests/reliability/reliabilityHarness.h"
#include "testing/ArchiveWriter.h"
#include "testing/ChildProcess.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

using namespace testing_support;
using testing_support::kEffects;
using testing_support::pathExists;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;
using testing_support::StartedChild;
using Clock = std::chrono::steady_clock;

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Each kill costs more under the sanitizers.
constexpr int kKills = 100, kFileKills = 40;
#else
constexpr int kKills = 220, kFileKills = 50;
#endif
constexpr int kFiles = 100;
constexpr std::size_t kFileBytes = 24 * 1024;
constexpr std::size_t kBigFile = 4 << 20;

// Installs `source` in a child, as the importer would, and gives its outcome.
StartedChild startInstall(const std::string& source) {
    return StartedChild([source] {
        silenceStdout();
        std::vector<std::string> items{source};
        return installFiles(items) == EFFECTS_DIR ? 0 : 1;
    });
}

Clock::duration timeOneInstall(const std::string& source) {
    const auto start = Clock::now();
    StartedChild install = startInstall(source);
    EXPECT_EQ(install.wait(), 0);
    return Clock::now() - start;
}

struct KillCounts {
    int endedAsEarlier = 0, endedAsNew = 0, leftStaging = 0;
};

// Installs the two sources of patch `name` by turns, each in a child killed
// after a random delay that spreads from the start to a bit beyond a whole
// install, and checks after every kill that the library holds exactly what
// it held before or what the finished install gives (`results`, the patch
// folder's tree). `freshEachTime` removes the patch first, so that every
// install makes a new folder instead of replacing one.
KillCounts killDuringInstalls(const std::string (&sources)[2], const Tree (&results)[2],
                              const std::string& name, int kills, bool freshEachTime) {
    KillCounts counts;
    const std::string patch = kEffects + "/" + name;
    std::vector<Clock::duration> samples;
    for (int i = 0; i < 4; ++i) samples.push_back(timeOneInstall(sources[i % 2]));
    const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(
        *std::max_element(samples.begin(), samples.end()));
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed) + ", longest install " +
                 std::to_string(longest.count()) + " us");
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, longest.count() * 5 / 4);

    int current = 1;  // the last timed install put the second source in place
    for (int kill = 0; kill < kills; ++kill) {
        const int next = freshEachTime ? kill % 2 : 1 - current;
        if (freshEachTime) uninstallPatch(patch.c_str());
        const Tree before = libraryTree();
        StartedChild install = startInstall(sources[next]);
        EXPECT_TRUE(install.started());
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        install.kill(SIGKILL);
        install.wait();
        // Whatever the installer had started (cp) has ended too before the
        // library is looked at.
        testing_support::waitForAllChildren();

        const Holds holds = whatLibraryHolds(before, EFFECTS_DIR, name, results[next], true);
        const bool listed =
            pathExists(patch) ? listsExactly(EFFECTS_DIR, {name}) : listsExactly(EFFECTS_DIR, {});
        if (holds == Holds::neither || !listed) {
            ADD_FAILURE() << "after kill " << kill
                          << ": neither the earlier state nor the new copy";
            return counts;
        }
        if (holds == Holds::replacement) {
            current = next;
            ++counts.endedAsNew;
        } else {
            ++counts.endedAsEarlier;
        }
        if (hasHiddenEntries(EFFECTS_DIR)) ++counts.leftStaging;
    }
    std::printf(
        "%d kills within %ld us: %d left the earlier state, %d the new copy, %d a "
        "hidden leftover\n",
        kills, static_cast<long>(longest.count() * 5 / 4), counts.endedAsEarlier, counts.endedAsNew,
        counts.leftStaging);

    // An install that runs to its end clears whatever the kills left.
    StartedChild install = startInstall(sources[0]);
    EXPECT_EQ(install.wait(), 0);
    EXPECT_EQ(treeOf(patch), results[0]);
    EXPECT_FALSE(hasHiddenEntries(EFFECTS_DIR));
    EXPECT_TRUE(listsExactly(EFFECTS_DIR, {name}));
    return counts;
}

TEST(InstallKill, AFolderReplaceKilledAtAnyMomentLeavesTheEarlierOrTheNewCopy) {
    ASSERT_TRUE(testing_support::adoptOrphans());
    ScratchLibrary library;
    ScratchDir in;
    const std::string sources[] = {
        writePatchFolder(in, "a/Bass", "#X obj 1 1 dac~;\n", kFiles, kFileBytes, 'a'),
        writePatchFolder(in, "b/Bass", "#X obj 2 2 dac~;\n", kFiles, kFileBytes, 'b')};
    const Tree results[] = {treeOf(sources[0]), treeOf(sources[1])};
    const Tree sourcesBefore = treeOf(in.root());

    const KillCounts counts = killDuringInstalls(sources, results, "Bass", kKills, false);
    // The kills landed on both sides of the exchange.
    EXPECT_GT(counts.endedAsEarlier, 0);
    EXPECT_GT(counts.endedAsNew, 0);
    EXPECT_EQ(treeOf(in.root()), sourcesBefore);
}

// A single file goes into a new patch folder, or replaces its namesake in an
// existing one beside the other files there.
TEST(InstallKill, ASingleFileInstallKilledAtAnyMomentLeavesNoPartOfIt) {
    ASSERT_TRUE(testing_support::adoptOrphans());
    ScratchLibrary library;
    ScratchDir in;
    const std::string contents[] = {"#X obj 1 1 dac~;\n" + std::string(kBigFile, 'a'),
                                    "#X obj 2 2 dac~;\n" + std::string(kBigFile, 'b')};
    const std::string sources[] = {in.writeFile("a/Lead.pd", contents[0]),
                                   in.writeFile("b/Lead.pd", contents[1])};
    const Tree alone[] = {{{"Lead.pd", contents[0]}}, {{"Lead.pd", contents[1]}}};
    killDuringInstalls(sources, alone, "Lead", kFileKills, true);

    testing_support::writeFile(kEffects + "/Lead/notes.txt", "kept");
    const Tree beside[] = {{{"Lead.pd", contents[0]}, {"notes.txt", "kept"}},
                           {{"Lead.pd", contents[1]}, {"notes.txt", "kept"}}};
    killDuringInstalls(sources, beside, "Lead", kFileKills, false);
}

// An archive is extracted into a staging folder before its patch moves into
// place: killed at any moment, the install leaves the earlier or the new
// copy, and what the extraction left is cleared by the next install without
// ever reaching the trash.
TEST(InstallKill, AnArchiveInstallKilledAtAnyMomentLeavesNoPartOfIt) {
    ASSERT_TRUE(testing_support::adoptOrphans());
    ScratchLibrary library;
    ScratchDir in;
    std::string sources[2];
    Tree results[2];
    for (int version = 0; version < 2; ++version) {
        const std::string folder = writePatchFolder(in, std::string(1, 'a' + version) + "/Drums",
                                                    kEffect, kFiles, kFileBytes, 'a' + version);
        results[version] = treeOf(folder);
        std::vector<ArchiveEntry> entries;
        for (const auto& [path, content] : results[version])
            if (content != "<dir>") entries.push_back({"Drums/" + path, content});
        sources[version] = folder + ".tar.gz";
        writeArchive(sources[version], entries);
    }
    killDuringInstalls(sources, results, "Drums", kFileKills, false);
    for (const std::string& trashed : entriesOf(ScratchLibrary::dataHome() + "/Trash/files"))
        EXPECT_TRUE(trashed.starts_with("Drums")) << trashed;
}

// cp waits at a gate after saying it started, so the installer is certainly
// killed mid-copy; once the gate opens, a cp that outlived its installer would
// go on writing into the staging folder, where the next install of the name
// works.
TEST(InstallKill, TheCopyDiesWithTheInstaller) {
    ASSERT_TRUE(testing_support::adoptOrphans());
    ScratchLibrary library;
    ScratchDir in;
    const std::string started = in.path("started"), gate = in.path("gate");
    ASSERT_EQ(mkfifo(started.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(gate.c_str(), 0600), 0);
    const std::string bin =
        writeStandInCp(in, "echo started > '" + started + "'\nread line < '" + gate + "'");
    const std::string source = writePatchFolder(in, "new/Bass", "#X obj 1 1 dac~;\n", 3, 10, 'n');

    StartedChild install([&] {
        silenceStdout();
        putFirstOnPath(bin);
        std::vector<std::string> items{source};
        installFiles(items);
        return 0;
    });
    std::string line;
    std::ifstream(started) >> line;
    ASSERT_EQ(line, "started");
    install.kill(SIGKILL);
    install.wait();
    // Opened for reading too, so opening never waits for a reader that is gone.
    UniqueFd gateOpen(open(gate.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_EQ(write(gateOpen.get(), "go\n", 3), 3);
    EXPECT_EQ(testing_support::waitForAllChildren(), std::vector<int>{128 + SIGKILL});
    // cp wrote nothing more: not even the main file reached the staging folder.
    for (const auto& [path, content] : treeOf(kEffects)) EXPECT_FALSE(path.ends_with(".pd")) << path;
}

}  // namespace
