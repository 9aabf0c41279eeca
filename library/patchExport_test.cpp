#include "library/patchExport.h"

#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

using namespace testing_support;

namespace {

// Per path of the tree: its content ("<dir>", "-> target"), and "*" for an executable file.
Tree withModes(const std::string& root) {
    Tree tree = treeOf(root);
    for (auto& [path, content] : tree) {
        struct stat info {};
        lstat((root + "/" + path).c_str(), &info);
        if (S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR)) content += "*";
    }
    return tree;
}

// Whether every local header of the zip whose name goes beyond ASCII flags it as UTF-8, as
// unzip tools need to read it so.
bool flagsUtf8Names(const std::string& zip) {
    const std::string bytes = readFile(zip);
    for (auto at = bytes.find("PK\3\4"); at != std::string::npos;
         at = bytes.find("PK\3\4", at + 4)) {
        const std::string name = bytes.substr(at + 30, std::size_t(std::uint8_t(bytes[at + 26])));
        const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return c > 0; });
        if (!ascii && !(bytes[at + 7] & 0x08)) return false;
    }
    return true;
}

struct Stop : InstallWatcher {
    bool cancelled() const override { return true; }
};

// Installing the archive gives back every patch exported to it, byte for byte.
TEST(PatchExport, InstallingTheArchiveGivesBackTheSamePatches) {
    // Per patch, its entries: "name/" a folder, "name -> target" a link, "name*" executable.
    struct Case {
        std::vector<std::string> patches;
        std::vector<std::string> entries;
    };
    const std::string binary("\0\1\x80\xff zip\n", 9);
    const std::vector<Case> cases = {
        {{"Tape Écho"}, {"Tape Écho/Tape Écho.pd", "Tape Écho/süße Proben/Ä b #1%.wav"}},
        {{"Drums"},
         {"Drums/Drums.pd", "Drums/a/b/c/deep.txt", "Drums/empty/", "Drums/e2/inner/",
          "Drums/run.sh*", "Drums/l -> a/b/c/deep.txt", "Drums/a/up -> ../Drums.pd",
          "Drums/a/b/dir -> ../../empty"}},
        {{"A", "B c"}, {"A/A.pd", "A/x.bin", "B c/B c.pd", "B c/sub/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patches.front());
        const ScratchLibrary library;
        const ScratchDir source;
        for (const std::string& entry : c.entries) {
            const std::size_t arrow = entry.find(" -> ");
            if (arrow != std::string::npos) {
                source.makeSymlink(entry.substr(0, arrow), entry.substr(arrow + 4));
            } else if (entry.ends_with("/")) {
                source.makeDir(entry);
            } else if (entry.ends_with("*")) {
                chmod(source.writeFile(entry.substr(0, entry.size() - 1), "#!/bin/sh\n").c_str(),
                      0755);
            } else {
                source.writeFile(entry, entry.ends_with(".pd") ? kEffect : binary + entry);
            }
        }
        std::vector<std::string> folders;
        for (const std::string& patch : c.patches) folders.push_back(source.path(patch));
        const std::string archive = source.path("Out.zip");
        const ExportResult result = exportPatches(folders, archive);
        ASSERT_EQ(result.outcome, ExportOutcome::exported) << result.reason;
        EXPECT_EQ(entriesOf(source.root()).size(), c.patches.size() + 1);  // no temporary file left
        EXPECT_TRUE(flagsUtf8Names(archive));
        EXPECT_EQ(installQuietly({archive}).type, EFFECTS_DIR);
        for (const std::string& patch : c.patches)
            EXPECT_EQ(withModes(kEffects + "/" + patch), withModes(source.path(patch))) << patch;
    }
}

// An archive saved inside the patch it holds leaves itself out.
TEST(PatchExport, AnArchiveSavedInsideItsPatchLeavesItselfOut) {
    const ScratchLibrary library;
    const ScratchDir source;
    source.writeFile("In/In.pd", kEffect);
    const std::string archive = source.path("In/In.zip");
    ASSERT_EQ(exportPatches({source.path("In")}, archive).outcome, ExportOutcome::exported);
    installQuietly({archive});
    EXPECT_EQ(entriesOf(kEffects + "/In"), std::vector<std::string>{"In.pd"});
}

// A failed or cancelled export leaves the target as it was and nothing beside it.
TEST(PatchExport, AFailureOrCancelLeavesTheTargetAsItWas) {
    const ScratchDir source;
    const std::string echo = source.makeDir("Echo"), other = source.makeDir("x/Echo");
    source.writeFile("Echo/Echo.pd", std::string(3 << 20, 'x'));
    const std::string target = source.writeFile("Out.zip", "earlier");
    Stop stop;
    struct Case {
        std::vector<std::string> folders;
        std::string archive;
        InstallWatcher* watcher;
        ExportResult expected;
    };
    const std::vector<Case> cases = {
        {{echo}, target, &stop, {ExportOutcome::cancelled, ""}},
        {{echo, other}, target, nullptr, {ExportOutcome::failed, "two patches are named \"Echo\""}},
        {{source.path("Gone")},
         target,
         nullptr,
         {ExportOutcome::failed,
          "cannot read \"" + source.path("Gone") + "\": No such file or directory"}},
        {{echo},
         source.path("No/Out.zip"),
         nullptr,
         {ExportOutcome::failed,
          "cannot write \"" + source.path("No/Out.zip") + "\": No such file or directory"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.reason);
        const ExportResult result = exportPatches(c.folders, c.archive, c.watcher);
        EXPECT_EQ(result.outcome, c.expected.outcome);
        EXPECT_EQ(result.reason, c.expected.reason);
        EXPECT_EQ(entriesOf(source.root()), (std::vector<std::string>{"Echo", "Out.zip", "x"}));
        EXPECT_EQ(readFile(target), "earlier");
    }
}

}  // namespace
