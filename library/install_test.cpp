#include "library/VQAUUtils.h"
#include "testing/ArchiveWriter.h"
#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using testing_support::entriesOf;
using testing_support::isDirectory;
using testing_support::isSymlink;
using testing_support::kEffect;
using testing_support::kEffects;
using testing_support::kInstrument;
using testing_support::kInstruments;
using testing_support::pathExists;
using testing_support::readFile;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;

namespace {

struct Outcome {
    const char* type;
    std::string output;
};

Outcome install(std::vector<std::string> items) {
    Outcome outcome{nullptr, ""};
    outcome.output = testing_support::captureStdout([&] { outcome.type = installFiles(items); });
    return outcome;
}

// Relative path -> content, "<dir>" or "-> target", links never followed.
std::map<std::string, std::string> treeOf(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string path = entry.path().string();
        std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_symlink())
            tree[relative] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[relative] = "<dir>";
        else
            tree[relative] = readFile(path);
    }
    return tree;
}

ino_t inodeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_ino;
}

TEST(InstallFiles, PutsASingleFileIntoAFolderNamedAfterIt) {
    ScratchLibrary library;
    ScratchDir in;
    Outcome outcome = install({in.writeFile("Bass.pd", kInstrument)});
    EXPECT_EQ(outcome.type, INSTRUMENTS_DIR);
    EXPECT_EQ(readFile(kInstruments + "/Bass/Bass.pd"), kInstrument);

    // Any content installs as an effect: empty, binary, without a final newline.
    // The folder is named after the file alone, never after a folder it lies
    // in, and a name the list would hide installs nothing.
    const std::pair<std::string, std::string> files[] = {
        {"notes.txt", "notes.txt/notes.txt"},
        {"score.pdf", "score/score.pdf"},
        {"Lead.pd.bak", "Lead/Lead.pd.bak"},
        {"blob", "blob/blob"},
        {"Reverb.pdbackup/impulse.wav", "impulse.wav/impulse.wav"},
        {"x.pd.dir/Pad", "Pad/Pad"},
        {".hidden.pd", ""},
        {"....pd", ""},
        {".pd", ""},
    };
    const std::string binary("\0\xff\x01no newline", 14);
    for (const auto& [name, installedAs] : files) {
        SCOPED_TRACE(name);
        std::string path = in.writeFile(name, name == "blob" ? binary : "");
        if (installedAs.empty()) {
            EXPECT_EQ(install({path}).type, nullptr);
            continue;
        }
        EXPECT_EQ(install({path}).type, EFFECTS_DIR);
        EXPECT_EQ(readFile(kEffects + "/" + installedAs), name == "blob" ? binary : "");
    }
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{"Lead", "Pad", "blob",
                                                              "impulse.wav", "notes.txt", "score"}));
}

// An archive installs the patches it holds, like dropped folders and with
// the same lines for each; a hostile one installs nothing, leaves nothing
// behind and says why.
TEST(InstallFiles, InstallsThePatchesOfAnArchive) {
    using testing_support::ArchiveEntry;
    using testing_support::writeArchive;
    ScratchLibrary library;
    ScratchDir in;
    const std::string pack = in.path("Pack.tar.gz"), loose = in.path("Echo.zip");
    writeArchive(pack, {{"Pack/A/A.pd", kInstrument}, {"Pack/B/B.pd", kEffect}});
    writeArchive(loose, {{"Echo.pd", kEffect}, {"echo.wav", "wav"}});
    const Outcome outcome = install({pack, loose});
    EXPECT_EQ(outcome.type, EFFECTS_DIR);
    const auto found = [](const std::string& name, const std::string& type) {
        return "Found " + name + "\nIt's a " + type + "\nCopeee\n";
    };
    EXPECT_EQ(outcome.output, "file:: " + pack + "\nIt's an archive\n" + found("A", kInstruments) +
                                  found("B", kEffects) + "file:: " + loose +
                                  "\nIt's an archive\n" + found("Echo", kEffects));
    EXPECT_EQ(readFile(kEffects + "/Echo/echo.wav"), "wav");
    EXPECT_EQ(entriesOf(kInstruments), std::vector<std::string>{"A"});

    const std::string hostile = in.path("Evil.zip");
    writeArchive(hostile, {{"Evil/Evil.pd", kEffect}, {"Evil/x", "/etc", ArchiveEntry::symlink}});
    const Outcome refused = install({hostile});
    EXPECT_EQ(refused.type, nullptr);
    EXPECT_NE(refused.output.find("Evil.zip: refused, the entry \"Evil/x\""), std::string::npos)
        << refused.output;
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{"B", "Echo"}));
}

TEST(InstallFiles, ReportsEachStepInOrderAndReturnsTheLastInstalledType) {
    ScratchLibrary library;
    ScratchDir in;
    in.writeFile("Bass/Bass.pd", kInstrument);
    in.writeFile("Loose/other.pd", kInstrument);
    std::string folder = in.path("Bass");
    std::string file = in.writeFile("Echo.pd", kEffect);
    std::string notAPatch = in.path("Loose");
    std::string missing = in.path("gone file://localhost/x.pd");
    std::vector<std::string> items = {"file://localhost" + folder, "file://" + file, missing,
                                      notAPatch};
    std::string output =
        testing_support::captureStdout([&] { EXPECT_EQ(installFiles(items), EFFECTS_DIR); });
    EXPECT_EQ(output, "file----" + folder + "\nfile----" + file + "\n" +  //
                          "file:: " + folder + "\nFound Bass\nIt's a " + kInstruments +
                          "\nCopeee\n" +                                //
                          "file:: " + file + "\nIt's a file\n" +        //
                          "file:: " + missing + "\nFile not found\n" +  //
                          "file:: " + notAPatch + "\n");
    EXPECT_EQ(items, (std::vector<std::string>{folder, file, missing, notAPatch}));
    EXPECT_EQ(readFile(kInstruments + "/Bass/Bass.pd"), kInstrument);
    EXPECT_EQ(readFile(kEffects + "/Echo/Echo.pd"), kEffect);
    EXPECT_EQ(entriesOf(kEffects), std::vector<std::string>{"Echo"});

    // Only "file://" followed by a path is a local file URL.
    std::string other = "file://host" + file;
    Outcome outcome = install({other});
    EXPECT_EQ(outcome.type, nullptr);
    EXPECT_EQ(outcome.output, "file:: " + other + "\nFile not found\n");
    EXPECT_EQ(install({}).output, "");
}

TEST(InstallFiles, InstallsOnlyFoldersHoldingTheirOwnMainFile) {
    ScratchLibrary library;
    ScratchDir in;
    in.writeFile("Lower/lower.pd", kEffect);
    in.writeFile("Nested/Sub/Nested.pd", kEffect);
    in.writeFile(".Hidden/.Hidden.pd", kEffect);
    in.writeFile("Other/Other.PD", kEffect);
    Outcome rejected =
        install({in.path("Lower"), in.path("Nested"), in.path(".Hidden/"), in.path("Other")});
    EXPECT_EQ(rejected.type, nullptr);
    EXPECT_TRUE(entriesOf(kEffects).empty());

    in.writeFile("Pad/Pad.pd", kInstrument);
    in.writeFile("Pad/Sub/sample.txt", "wav");
    EXPECT_EQ(install({in.path("Pad/")}).type, INSTRUMENTS_DIR);
    EXPECT_EQ(treeOf(kInstruments),
              (std::map<std::string, std::string>{{"Pad", "<dir>"},
                                                  {"Pad/Pad.pd", kInstrument},
                                                  {"Pad/Sub", "<dir>"},
                                                  {"Pad/Sub/sample.txt", "wav"}}));

    in.makeDir("Hollow/Hollow.pd");  // its main file is a folder: an effect
    EXPECT_EQ(install({in.path("Hollow")}).type, EFFECTS_DIR);
    EXPECT_TRUE(isDirectory(kEffects + "/Hollow/Hollow.pd"));
}

TEST(InstallFiles, ReplacesAnEarlierFolderWholeButAddsASingleFileToIt) {
    ScratchLibrary library;
    ScratchDir in;
    in.writeFile("v1/Bass/Bass.pd", kEffect);
    in.writeFile("v1/Bass/old-only.txt", "old");
    in.writeFile("v2/Bass/Bass.pd", kEffect + "#X text 1 1 v2;\n");
    in.writeFile("v2/Bass/new.txt", "new");
    ASSERT_EQ(install({in.path("v1/Bass")}).type, EFFECTS_DIR);
    EXPECT_EQ(install({in.path("v2/Bass")}).type, EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(in.path("v2/Bass")));
    EXPECT_EQ(entriesOf(kEffects), std::vector<std::string>{"Bass"});  // no staging left

    std::string single = in.writeFile("v3/Bass.pd", kEffect + "#X text 1 1 v3;\n");
    EXPECT_EQ(install({single}).type, EFFECTS_DIR);
    EXPECT_EQ(readFile(kEffects + "/Bass/Bass.pd"), readFile(single));
    EXPECT_EQ(readFile(kEffects + "/Bass/new.txt"), "new");

    // Now an instrument: installed there, the effect copy stays.
    std::string retyped = in.writeFile("v4/Bass.pd", kInstrument);
    EXPECT_EQ(install({retyped}).type, INSTRUMENTS_DIR);
    EXPECT_TRUE(pathExists(kEffects + "/Bass/Bass.pd"));
}

TEST(InstallFiles, PassesShellMetacharactersThroughUnchanged) {
    ScratchLibrary library;
    ScratchDir in;
    const std::string name = "a \"q\" $HOME `id` back\\slash\nline 'x';&|* $(touch pwned)";
    in.writeFile(name + "/" + name + ".pd", kEffect);
    in.writeFile(name + "/inner `id`.txt", "inner");
    EXPECT_EQ(install({"file://" + in.path(name)}).type, EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/" + name), treeOf(in.path(name)));

    std::string file = in.writeFile("single/" + name + ".pd", kInstrument);
    EXPECT_EQ(install({file}).type, INSTRUMENTS_DIR);
    EXPECT_EQ(readFile(kInstruments + "/" + name + "/" + name + ".pd"), kInstrument);
    EXPECT_FALSE(pathExists("pwned"));
}

TEST(InstallFiles, AFailedCopyKeepsTheEarlierCopyAndLeavesNothingBehind) {
    ScratchLibrary library;
    ScratchDir in;
    in.writeFile("v1/Bass/Bass.pd", kEffect);
    in.writeFile("v1/Bass/old-only.txt", "old");
    ASSERT_EQ(install({in.path("v1/Bass")}).type, EFFECTS_DIR);
    const auto before = treeOf(kEffects);

    constexpr rlim_t kLimit = 1 << 20;
    in.writeFile("v2/Bass/Bass.pd", kEffect);
    in.writeFile("v2/Bass/huge.wav", std::string(2 * kLimit, 'w'));
    in.writeFile("v2/Huge.pd", std::string(2 * kLimit, 'w'));
    in.writeFile("v2/Fresh/Fresh.pd", kEffect);
    in.writeFile("v2/Fresh/huge.wav", std::string(2 * kLimit, 'w'));
    std::string bigMain = in.writeFile("v3/Bass.pd", std::string(2 * kLimit, 'w'));
    int installedCount = testing_support::runWithFileSizeLimit(kLimit, [&] {
        int installed = 0;
        for (const std::string& item :
             {in.path("v2/Bass"), in.path("v2/Huge.pd"), in.path("v2/Fresh"), bigMain}) {
            std::vector<std::string> items{item};
            if (installFiles(items) != nullptr) installed++;
        }
        return installed;
    });
    EXPECT_EQ(installedCount, 0);  // no failure reported as success
    EXPECT_EQ(treeOf(kEffects), before);
}

// Whatever interrupted installs left, for any patch and in either type
// directory (also in the shared staging folder of earlier versions), goes
// with the next install; nothing of an install stays but the patch.
TEST(InstallFiles, ClearsStagingLeftoversAndLeavesNoneOfItsOwn) {
    ScratchLibrary library;
    ScratchDir in;
    fs::create_directories(kEffects + "/.installing/Bass/deep");
    testing_support::writeFile(kEffects + "/.installing/Bass/deep/junk", "junk");
    fs::create_directories(kEffects + "/.veltrano-staging-a1b2c3/Other/deep");
    fs::create_directories(kInstruments + "/.veltrano-staging-d4e5f6");
    fs::create_directories(kEffects + "/.hidden-by-the-user");
    in.writeFile("Bass/Bass.pd", kEffect);
    EXPECT_EQ(install({in.path("Bass")}).type, EFFECTS_DIR);
    EXPECT_EQ(treeOf(kEffects + "/Bass"), treeOf(in.path("Bass")));
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{".hidden-by-the-user", "Bass"}));
    EXPECT_TRUE(entriesOf(kInstruments).empty());
    // A leftover may be the earlier copy of a patch: it waits in the trash.
    const std::string trash = ScratchLibrary::dataHome() + "/Trash";
    EXPECT_EQ(entriesOf(trash + "/files"), (std::vector<std::string>{"Bass", "Other"}));
    EXPECT_NE(readFile(trash + "/info/Other.trashinfo").find("\nPath=" + kEffects + "/Other\n"),
              std::string::npos);
}

TEST(InstallFiles, CountsASourceThatIsItsOwnDestinationAsInstalled) {
    ScratchLibrary library;
    ScratchDir in;
    in.writeFile("Bass/Bass.pd", kEffect);
    in.writeFile("Bass/data.txt", "data");
    ASSERT_EQ(install({in.path("Bass")}).type, EFFECTS_DIR);
    const auto before = treeOf(kEffects);
    const ino_t folder = inodeOf(kEffects + "/Bass"), file = inodeOf(kEffects + "/Bass/Bass.pd");
    for (const std::string& again : {kEffects + "/Bass", "file://localhost" + kEffects + "/Bass/",
                                     kEffects + "/Bass/Bass.pd"}) {
        SCOPED_TRACE(again);
        EXPECT_EQ(install({again}).type, EFFECTS_DIR);
        // Neither deleted nor copied again.
        EXPECT_EQ(inodeOf(kEffects + "/Bass"), folder);
        EXPECT_EQ(inodeOf(kEffects + "/Bass/Bass.pd"), file);
    }
    EXPECT_EQ(treeOf(kEffects), before);
}

TEST(InstallFiles, SkipsMissingPathsAndWhatCannotBeReplaced) {
    ScratchLibrary library;
    ScratchDir in;
    in.makeSymlink("dangling.pd", in.path("nowhere"));
    Outcome missing = install({in.path("gone.pd"), in.path("dangling.pd"), in.path("dir/")});
    EXPECT_EQ(missing.type, nullptr);
    EXPECT_EQ(missing.output, "file:: " + in.path("gone.pd") +
                                  "\nFile not found\nfile:: " + in.path("dangling.pd") +
                                  "\nFile not found\nfile:: " + in.path("dir/") +
                                  "\nFile not found\n");
    EXPECT_EQ(install({in.writeFile("Echo.pd", kEffect), in.path("gone.pd")}).type, EFFECTS_DIR);

    // A pipe has no content to install, and reading it would block.
    ASSERT_EQ(mkfifo(in.path("pipe.pd").c_str(), 0644), 0);
    Outcome pipe = install({in.path("pipe.pd"), "/dev/zero"});
    EXPECT_EQ(pipe.type, nullptr);
    EXPECT_EQ(pipe.output, "file:: " + in.path("pipe.pd") + "\nfile:: /dev/zero\n");
    EXPECT_FALSE(pathExists(kEffects + "/pipe"));

    // A plain file or a dangling link where the patch folder would go stays.
    testing_support::writeFile(kEffects + "/Bass", "plain");
    ASSERT_EQ(symlink("nowhere", (kEffects + "/Lead").c_str()), 0);
    in.writeFile("Bass/Bass.pd", kEffect);
    in.writeFile("Lead/Lead.pd", kEffect);
    EXPECT_EQ(install({in.path("Bass"), in.path("Lead")}).type, nullptr);
    EXPECT_EQ(readFile(kEffects + "/Bass"), "plain");
    EXPECT_TRUE(isSymlink(kEffects + "/Lead"));

    // Folder names that would lead out of the type directory.
    EXPECT_EQ(install({in.writeFile("...pd", kEffect), in.writeFile("sub/.pd", "")}).type, nullptr);
    EXPECT_EQ(entriesOf(BASE_DIR), (std::vector<std::string>{"Effects", "Instruments"}));
    EXPECT_EQ(entriesOf(kEffects), (std::vector<std::string>{"Bass", "Echo", "Lead"}));

    // Without its type directory nothing can be installed.
    ASSERT_EQ(rmdir(INSTRUMENTS_DIR), 0);
    EXPECT_EQ(install({in.writeFile("Pad/Pad.pd", kInstrument), in.path("Pad")}).type, nullptr);
    EXPECT_FALSE(pathExists(kInstruments));
}

TEST(InstallFiles, CopiesTheFolderALinkPointsToAndKeepsInnerLinks) {
    ScratchLibrary library;
    ScratchDir in;
    in.writeFile("Real/Bass.pd", kEffect);
    in.makeSymlink("Real/inner", "Bass.pd");
    std::string link = in.makeSymlink("Bass", in.path("Real"));
    EXPECT_EQ(install({link}).type, EFFECTS_DIR);
    EXPECT_TRUE(isDirectory(kEffects + "/Bass"));
    EXPECT_EQ(readFile(kEffects + "/Bass/Bass.pd"), kEffect);
    EXPECT_TRUE(isSymlink(kEffects + "/Bass/inner"));
}

}  // namespace
