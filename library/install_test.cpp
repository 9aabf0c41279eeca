#include "library/VQAUUtils.h"
#include "testing/ArchiveWriter.h"
#include "testing/GatedCopy.h"
#include "testing/OutputCapture.h"
#include "testing/RecordingWatcher.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;
using namespace testing_support;

class InstallFiles : public ::testing::Test {
protected:
    ScratchLibrary library;
    ScratchDir in;
};

// Any content; the folder takes the file's own name; hidden or climbing names install nothing.
TEST_F(InstallFiles, PutsASingleFileIntoAFolderNamedAfterIt) {
    EXPECT_EQ(installQuietly({in.writeFile("Bass.pd", kInstrument)}).type, INSTRUMENTS_DIR);
    EXPECT_EQ(readFile(kInstruments + "/Bass/Bass.pd"), kInstrument);
    const std::pair<std::string, std::string> files[] = {
        {"notes.txt", "notes.txt/notes.txt"},
        {"score.pdf", "score/score.pdf"},
        {"Lead.pd", "Lead/Lead.pd"},
        {"Lead.pd.bak", "Lead/Lead.pd.bak"},  // beside the file before it
        {"blob", "blob/blob"},
        {"Reverb.pdbackup/impulse.wav", "impulse.wav/impulse.wav"},
        {"x.pd.dir/Pad", "Pad/Pad"},
        {".hidden.pd", ""},
        {"....pd", ""},
        {".pd", ""},
        {"...pd", ""},
        {"sub/.pd", ""},
    };
    const std::string binary("\0\xff\x01no newline", 14);
    for (const auto& [name, installedAs] : files) {
        SCOPED_TRACE(name);
        const std::string content = name == "blob" ? binary : "";
        const char* type = installQuietly({in.writeFile(name, content)}).type;
        EXPECT_EQ(type, installedAs.empty() ? nullptr : EFFECTS_DIR);
        EXPECT_EQ(type ? readFile(kEffects + "/" + installedAs) : content, content);
    }
    EXPECT_EQ(entriesOf(BASE_DIR), (std::vector<std::string>{"Effects", "Instruments"}));
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{"Lead", "Pad", "blob", "impulse.wav",
                                                             "notes.txt", "score"}));
}

// File URLs become paths first; the missing, dangling, pipes and devices install nothing.
TEST_F(InstallFiles, ReportsEachStepInOrderAndReturnsTheLastInstalledType) {
    in.writeFile("Bass/Bass.pd", kInstrument);
    in.writeFile("Loose/other.pd", kInstrument);
    const std::string folder = in.path("Bass"), file = in.writeFile("Echo.pd", kEffect);
    const std::string notAPatch = in.path("Loose"), missing = in.path("gone file://localhost/x.pd");
    const std::string dangling = in.makeSymlink("dangling.pd", in.path("nowhere"));
    ASSERT_EQ(mkfifo(in.path("pipe.pd").c_str(), 0644), 0);
    std::vector<std::string> items = {"file://localhost" + folder,
                                      "file://" + file,
                                      missing,
                                      notAPatch,
                                      dangling,
                                      in.path("dir/"),
                                      in.path("pipe.pd"),
                                      "/dev/zero",
                                      "file://host" + file};
    const std::string output = captureStdout([&] { EXPECT_EQ(installFiles(items), EFFECTS_DIR); });
    EXPECT_EQ(output, "file----" + folder + "\nfile----" + file + "\nfile:: " + folder +
                          "\nFound Bass\nIt's a " + kInstruments + "\nCopeee\nfile:: " + file +
                          "\nIt's a file\nfile:: " + missing +
                          "\nFile not found\nfile:: " + notAPatch + "\nfile:: " + dangling +
                          "\nFile not found\nfile:: " + in.path("dir/") +
                          "\nFile not found\nfile:: " + in.path("pipe.pd") +
                          "\nfile:: /dev/zero\nfile:: file://host" + file + "\nFile not found\n");
    EXPECT_EQ(std::vector(items.begin(), items.begin() + 2), (std::vector{folder, file}));
    EXPECT_EQ(readFile(kInstruments + "/Bass/Bass.pd"), kInstrument);
    EXPECT_EQ(treeOf(kEffects), (Tree{{"Echo", "<dir>"}, {"Echo/Echo.pd", kEffect}}));
    EXPECT_EQ(installQuietly({}).output, "");
}

// A folder (or a link to one) replaces the earlier copy whole; a single file joins it, or the
// folder of its own type.
TEST_F(InstallFiles, ReplacesAnEarlierFolderWholeButAddsASingleFileToIt) {
    const std::string name = "a \"q\" $HOME `id` back\\slash\nline 'x';&|* $(touch pwned)";
    in.writeFile("v1/" + name + "/" + name + ".pd", kEffect);
    in.writeFile("v1/" + name + "/old-only.txt", "old");
    in.writeFile("v2/" + name + "/" + name + ".pd", kEffect + "#X text 1 1 v2;\n");
    in.writeFile("v2/" + name + "/Sub/new `id`.txt", "new");
    in.makeSymlink("v2/" + name + "/inner", name + ".pd");
    const std::string patch = kEffects + "/" + name;
    ASSERT_EQ(installQuietly({in.path("v1/" + name + "/")}).type, EFFECTS_DIR);
    EXPECT_EQ(installQuietly({"file://" + in.makeSymlink(name, in.path("v2/" + name))}).type,
              EFFECTS_DIR);
    EXPECT_EQ(treeOf(patch), treeOf(in.path("v2/" + name)));
    EXPECT_EQ(entriesOf(kEffects), std::vector{name});  // no staging left
    EXPECT_FALSE(pathExists("pwned"));
    const std::string single = in.writeFile("v3/" + name + ".pd", kEffect + "#X text 1 1 v3;\n");
    EXPECT_EQ(installQuietly({single}).type, EFFECTS_DIR);
    EXPECT_EQ(readFile(patch + "/Sub/new `id`.txt"), "new");
    EXPECT_EQ(installQuietly({in.writeFile("v4/" + name + ".pd", kInstrument)}).type,
              INSTRUMENTS_DIR);
    EXPECT_EQ(readFile(kInstruments + "/" + name + "/" + name + ".pd"), kInstrument);
    EXPECT_EQ(readFile(patch + "/" + name + ".pd"), readFile(single));
}

// Staging leftovers go to the trash with the next install; a source in its own place stays.
TEST_F(InstallFiles, ClearsStagingLeftoversAndLeavesNoneOfItsOwn) {
    in.writeFile("Bass/Bass.pd", kEffect);
    fs::create_directories(kEffects + "/.installing/Bass/deep");
    writeFile(kEffects + "/.installing/Bass/deep/junk", "junk");
    fs::create_directories(kEffects + "/.veltrano-staging-a1b2c3/Other/deep");
    fs::create_directories(kInstruments + "/.veltrano-staging-d4e5f6");
    fs::create_directories(kEffects + "/.hidden-by-the-user");
    EXPECT_EQ(installQuietly({in.path("Bass")}).type, EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(in.path("Bass")));
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{".hidden-by-the-user", "Bass"}));
    EXPECT_TRUE(entriesOf(kInstruments).empty());
    const std::string trash = ScratchLibrary::dataHome() + "/Trash";
    EXPECT_NE(readFile(trash + "/info/Other.trashinfo").find("\nPath=" + kEffects + "/Other\n"),
              std::string::npos);
    const Tree before = treeOf(kEffects);
    for (const std::string& again :
         {kEffects + "/Bass", "file://localhost" + kEffects + "/Bass/", kEffects + "/Bass/Bass.pd"})
        EXPECT_EQ(installQuietly({again}).type, EFFECTS_DIR) << again;
    EXPECT_EQ(treeOf(kEffects), before);
    EXPECT_EQ(entriesOf(trash + "/files"), (std::vector<std::string>{"Bass", "Other"}));
}

// Each patch of a pack has its own result, a hostile archive one, saying why; pipes and devices
// are no regular files; a cancel between two patches of a pack leaves the rest unplaced. The
// patches of an archive install like folders.
TEST_F(InstallFiles, ReportsEachItemAndEachPatchOfAPack) {
    writeFile(kEffects + "/Way", "a file");
    const std::string pack = in.path("pack2.tar"), abc = in.path("abc.tar");
    writeArchive(pack, {{"P2/Way/Way.pd", kEffect}, {"P2/Ok/Ok.pd", kEffect}});
    writeArchive(abc, {{"A/A.pd", kEffect}, {"B/B.pd", kEffect}, {"C/C.pd", kEffect}});
    const std::string hostile = in.path("Evil.zip"), fifo = in.path("x.zip");
    writeArchive(hostile, {{"Evil/Evil.pd", kEffect}, {"Evil/x", "/etc", ArchiveEntry::symlink}});
    ASSERT_TRUE(mkfifo(fifo.c_str(), 0644) == 0 && mkfifo(in.path("x.pd").c_str(), 0644) == 0);
    RecordingWatcher watcher;
    watcher.cancelWhen = [] { return pathExists(kEffects + "/A"); };
    const Reported reported = installReported(
        {pack, hostile, fifo, in.path("x.pd"), "/dev/null", in.path("gone.pd"), abc, fifo},
        &watcher);
    using enum ItemOutcome;
    EXPECT_EQ(reported.outcomes(),
              (std::vector{installed, failed, failed, notARegularFile, notARegularFile,
                           notARegularFile, notFound, installed, cancelled, cancelled, cancelled}));
    std::vector<std::string> patches;
    for (const ItemReport& item : reported.report.items) patches.push_back(item.patch);
    EXPECT_EQ(patches,
              (std::vector<std::string>{"Ok", "Way", "", "", "", "", "", "A", "B", "C", ""}));
    EXPECT_EQ(reported.report.items.at(1).reason, "Not a directory");
    EXPECT_EQ(reported.report.items.at(1).item, pack);
    EXPECT_NE(reported.output.find("Evil.zip: refused, the entry \"Evil/x\""), std::string::npos)
        << reported.output;
    EXPECT_TRUE(reported.output.ends_with("Copeee\ncancelled\n")) << reported.output;
    // An archive's patches install like folders, same lines.
    const std::string packed = in.path("Pack.tar.gz"), loose = in.path("Echo.zip");
    writeArchive(packed, {{"Pack/Keys/Keys.pd", kInstrument}, {"Pack/Pad/Pad.pd", kEffect}});
    writeArchive(loose, {{"Echo.pd", kEffect}, {"echo.wav", "wav"}});
    const Installed installed = installQuietly({packed, loose});
    EXPECT_EQ(installed.type, EFFECTS_DIR);
    const auto found = [](const std::string& name, const std::string& type) {
        return "Found " + name + "\nIt's a " + type + "\nCopeee\n";
    };
    EXPECT_EQ(installed.output, "file:: " + packed + "\nIt's an archive\n" +
                                    found("Keys", kInstruments) + found("Pad", kEffects) +
                                    "file:: " + loose + "\nIt's an archive\n" +
                                    found("Echo", kEffects));
    EXPECT_EQ(readFile(kEffects + "/Echo/echo.wav"), "wav");
    EXPECT_EQ(entriesOf(kInstruments), std::vector<std::string>{"Keys"});
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{"A", "Echo", "Ok", "Pad", "Way"}));
}

// A single file: holes stay holes. Progress in bytes, and files for a folder: a cancel mid-copy
// keeps the earlier copy and leaves nothing staged.
TEST_F(InstallFiles, CopiesASingleFileSparselyAndStopsItWhenCancelled) {
    constexpr std::uintmax_t kHoleBytes = 64 << 20;
    const std::string big = in.writeFile("Big.pd", kEffect), patch = kEffects + "/Big/Big.pd";
    fs::resize_file(big, kHoleBytes);
    ASSERT_EQ(installQuietly({big}).type, EFFECTS_DIR);
    struct stat copied;
    ASSERT_EQ(stat(patch.c_str(), &copied), 0);
    EXPECT_LT(copied.st_blocks * 512, 1 << 20);
    const std::string many = in.makeDir("v2/Gated");
    for (int file = 0; file < 300; ++file) in.writeFile("v2/Gated/" + std::to_string(file), "x");
    in.writeFile("v2/Gated/Gated.pd", std::string(100, 'x'));
    const std::string bigger = in.writeFile("v2/Big.pd", std::string(24 << 20, 'x'));
    using Amount = RecordingWatcher::Amount;
    struct Row {
        std::string item, said;
        Amount toCopy, cancelledAt;
    } rows[] = {{bigger, "It's a file", {24 << 20, 1}, {8 << 20, 0}},
                {many, "Copeee", {400, 301}, {400, 301}}};
    for (const Row& row : rows) {
        const GatedCopy cp(true);  // the folder's copy stays whole until it is cancelled
        RecordingWatcher watcher;
        // Cancelled once the amount is told; a test that fails does not hang.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        watcher.cancelWhen = [&] {
            return (!watcher.progress.empty() && watcher.progress.back() == row.cancelledAt) ||
                   std::chrono::steady_clock::now() > deadline;
        };
        const Reported reported = installReported({row.item}, &watcher);
        EXPECT_EQ(reported.outcomes(), std::vector{ItemOutcome::cancelled});
        EXPECT_EQ(watcher.toCopy, std::vector{row.toCopy});
        EXPECT_EQ(watcher.progress.empty() ? Amount{} : watcher.progress.back(), row.cancelledAt);
        EXPECT_TRUE(reported.output.ends_with(row.said + "\ncancelled\n")) << reported.output;
    }
    EXPECT_EQ(fs::file_size(patch), kHoleBytes);
    EXPECT_EQ(entriesOf(kEffects), std::vector<std::string>{"Big"});
}
