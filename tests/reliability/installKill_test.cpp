// An install killed at random moments leaves the earlier or the new copy, nothing else.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>
#include "fsutil/UniqueFd.h"
#include "testing/ArchiveWriter.h"
#include "tests/reliability/reliabilityHarness.h"

using namespace testing_support;
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

const std::string kEffectsKey = std::filesystem::relative(kEffects, ScratchLibrary::parentDir());

// The library without the effects' hidden staging entries.
Tree libraryAsSeen() {
    Tree tree = libraryTree();
    std::erase_if(tree,
                  [](const auto& entry) { return entry.first.starts_with(kEffectsKey + "/."); });
    return tree;
}

// `library` with the effect `name` holding exactly `patch`.
Tree withPatch(Tree library, const std::string& name, const Tree& patch) {
    const std::string folder = kEffectsKey + "/" + name;
    std::erase_if(library,
                  [&](const auto& entry) { return (entry.first + "/").starts_with(folder + "/"); });
    library[folder] = "<dir>";
    for (const auto& [relative, content] : patch) library[folder + "/" + relative] = content;
    return library;
}

// Installs `sources` by turns (`freshEachTime`: patch removed first), each killed within 1.25
// times the longest of four installs; counts the kills that left the earlier and the new copy.
std::pair<int, int> killDuringInstalls(const std::string (&sources)[2], const Tree (&results)[2],
                                       const std::string& name, int kills, bool freshEachTime) {
    const std::string patch = kEffects + "/" + name;
    Clock::duration longest{};
    for (int i = 0; i < 4; ++i) {
        const auto start = Clock::now();
        EXPECT_EQ(startInstall({sources[i % 2]}).wait(), 0);
        longest = std::max(longest, Clock::now() - start);
    }
    const long range =
        std::chrono::duration_cast<std::chrono::microseconds>(longest).count() * 5 / 4;
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed) + ", delays up to " + std::to_string(range) +
                 " us");
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, range);
    int current = 1, earlier = 0, replaced = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const int next = freshEachTime ? kill % 2 : 1 - current;
        if (freshEachTime) uninstallPatch(patch.c_str());
        const Tree before = libraryAsSeen();
        StartedChild install = startInstall({sources[next]});
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        install.kill(SIGKILL);
        install.wait();
        waitForAllChildren();  // the cp it started too, before the library is looked at
        const Tree now = libraryAsSeen();
        if (now == withPatch(before, name, results[next])) {
            current = next;
            ++replaced;
        } else if (now == before) {
            ++earlier;
        } else {
            ADD_FAILURE() << "after kill " << kill
                          << ": neither the earlier state nor the new copy";
            break;
        }
    }
    std::printf("%d kills within %ld us: %d left the earlier state, %d the new copy\n", kills,
                range, earlier, replaced);
    // An install that runs to its end clears whatever the kills left.
    EXPECT_EQ(startInstall({sources[0]}).wait(), 0);
    EXPECT_EQ(treeOf(patch), results[0]);
    EXPECT_EQ(entriesOf(kEffects), std::vector{name});
    return {earlier, replaced};
}

// The test process adopts what a killed installer started, to wait for it.
class InstallKill : public LibraryScene {
    void SetUp() override { ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0), 0); }
};

// Folders, then archives (what a killed extraction left never reaches the trash), then a
// single file into a new patch folder and over its namesake beside another file.
TEST_F(InstallKill, AnInstallKilledAtAnyMomentLeavesTheEarlierOrTheNewCopy) {
    std::string folders[2], archives[2];
    Tree results[2];
    for (int i : {0, 1}) {
        const std::string version(1, "ab"[i]);
        folders[i] = writePatchFolder(in, version + "/Bass", kFiles, version[0], kFileBytes);
        results[i] = treeOf(folders[i]);
        std::vector<ArchiveEntry> entries;
        for (const auto& [path, content] : results[i])
            if (content != "<dir>") entries.push_back({"Bass/" + path, content});
        writeArchive(archives[i] = folders[i] + ".tar.gz", entries);
    }
    const Tree sourcesBefore = treeOf(in.root());
    const auto [earlier, replaced] = killDuringInstalls(folders, results, "Bass", kKills, false);
    EXPECT_TRUE(earlier > 0 && replaced > 0);  // the kills landed on both sides of the exchange
    killDuringInstalls(archives, results, "Bass", kFileKills, false);
    EXPECT_EQ(treeOf(in.root()), sourcesBefore);
    for (const std::string& trashed : entriesOf(ScratchLibrary::dataHome() + "/Trash/files"))
        EXPECT_TRUE(trashed.starts_with("Bass")) << trashed;
    uninstallPatch((kEffects + "/Bass").c_str());
    const std::string contents[] = {kEffect + std::string(4 << 20, 'a'),
                                    kEffect + std::string(4 << 20, 'b')};
    const std::string sources[] = {in.writeFile("a/Lead.pd", contents[0]),
                                   in.writeFile("b/Lead.pd", contents[1])};
    const Tree alone[] = {{{"Lead.pd", contents[0]}}, {{"Lead.pd", contents[1]}}};
    killDuringInstalls(sources, alone, "Lead", kFileKills, true);
    writeFile(kEffects + "/Lead/notes.txt", "kept");
    const Tree beside[] = {{{"Lead.pd", contents[0]}, {"notes.txt", "kept"}},
                           {{"Lead.pd", contents[1]}, {"notes.txt", "kept"}}};
    killDuringInstalls(sources, beside, "Lead", kFileKills, false);
}

// cp waits at a gate so the installer dies mid-copy; a surviving cp would go on writing.
TEST_F(InstallKill, TheCopyDiesWithTheInstaller) {
    const std::string started = in.path("started"), gate = in.path("gate");
    ASSERT_TRUE(mkfifo(started.c_str(), 0600) == 0 && mkfifo(gate.c_str(), 0600) == 0);
    const std::string path =
        writeStandInCp(in, "echo started > '" + started + "'\nread line < '" + gate + "'");
    const std::string source = writePatchFolder(in, "new/Bass", 3, 'n', 10);
    StartedChild install([&] {
        setenv("PATH", path.c_str(), 1);
        return installOutcome({source});
    });
    std::string line;
    std::ifstream(started) >> line;
    ASSERT_EQ(line, "started");
    install.kill(SIGKILL);
    install.wait();
    // Opened for reading too, so opening never waits for a reader that is gone.
    const UniqueFd gateOpen(open(gate.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_EQ(write(gateOpen.get(), "go\n", 3), 3);
    EXPECT_EQ(waitForAllChildren(), std::vector<int>{128 + SIGKILL});
    // cp wrote nothing more: not even the main file reached the staging folder.
    for (const auto& [path, content] : treeOf(kEffects))
        EXPECT_FALSE(path.ends_with(".pd")) << path;
}

}  // namespace
