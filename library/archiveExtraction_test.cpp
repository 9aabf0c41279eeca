#include "library/archiveExtraction.h"
#include "library/archiveNames.h"

#include "testing/ArchiveWriter.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

using Entry = ArchiveEntry;

// Per path: "dir/", "file", "exe*", "link -> target", another mode in octal, small content,
// " x2" for a file of two names.
std::string linesOf(const std::string& root) {
    std::string lines;
    for (const auto& [path, content] : treeOf(root)) {
        struct stat info {};
        lstat((root + "/" + path).c_str(), &info);
        const mode_t mode = info.st_mode & 07777;
        char octal[16];
        std::snprintf(octal, sizeof octal, " %o", mode);
        const std::string size =
            content.size() < 64 ? ": " + content : " (" + std::to_string(content.size()) + ")";
        lines += path +
                 (S_ISLNK(info.st_mode) ? " " + content
                  : S_ISDIR(info.st_mode)
                      ? (mode == 0755 ? "/" : "/" + std::string(octal))
                      : (mode == 0755   ? "*"
                         : mode == 0644 ? ""
                                        : octal) +
                            (content.empty() ? "" : size) +
                            (info.st_nlink > 1 ? " x" + std::to_string(info.st_nlink) : "")) +
                 "\n";
    }
    return lines;
}

// Size, entries, expansion, its floor, free reserve: Echo.tar.gz below has all entries allowed.
const ExtractionLimits kTestLimits{64 << 20, 10, 1000, 1 << 20, 0};

const Entry kEcho{"Echo/Echo.pd", "#N canvas"};

void scramble(const std::string& path) {
    std::string bytes = readFile(path);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 16; ++i) bytes[i] ^= 0x5a;
    writeFile(path, bytes);
}

// Calls change(bytes, at) at `offset` of each zip record that begins with `signature`.
void patchZip(const std::string& path, const std::map<std::string, std::size_t>& fields,
              void (*change)(std::string& bytes, std::size_t at)) {
    std::string bytes = readFile(path);
    for (const auto& [signature, offset] : fields)
        for (auto at = bytes.find(signature); at != std::string::npos;
             at = bytes.find(signature, at + 4))
            change(bytes, at + offset);
    writeFile(path, bytes);
}

// Every uncompressed size (local header, data descriptor, central directory) becomes 1.
void understateSizes(const std::string& path) {
    patchZip(path, {{"PK\3\4", 22}, {"PK\7\10", 12}, {"PK\1\2", 24}},
             [](std::string& bytes, std::size_t at) {
                 bytes.replace(at, 4, std::string("\1\0\0\0", 4));
             });
}

// Sets the flag "names are UTF-8", which the writer only sets in a UTF-8 locale.
void flagUtf8Names(const std::string& path) {
    patchZip(path, {{"PK\3\4", 7}, {"PK\1\2", 9}},
             [](std::string& bytes, std::size_t at) { bytes[at] |= 0x08; });
}

}  // namespace

TEST(ArchiveNames, RecogniseTheArchiveExtensionsAndStripThem) {
    const std::map<std::string, std::string> stems = {
        {"/in/Echo.zip", "Echo"}, {"a.b/Pack.TAR.GZ", "Pack"},
        {"x.tgz", "x"},           {"x.tar.bz2", "x"},
        {"x.TBZ2", "x"},          {"x.tar.xz", "x"},
        {"x.txz", "x"},           {"x.tar.zst", "x"},
        {"x.tar", "x"},           {"x.gz", ""},
        {"x.zip.pd", ""},         {"zip", ""}};
    for (const auto& [path, stem] : stems)
        EXPECT_EQ(isArchiveName(path) ? archiveStem(path) : "", stem) << path;
}

// Each layout's patches come out whole; a hostile or broken archive writes nothing.
TEST(ArchiveExtraction, FindsThePatchesOfEachLayoutAndRefusesHostileOrBrokenArchives) {
    const ScratchDir scratch;
    const std::string victim = scratch.writeFile("victim/passwd", "secret");
    const Entry big{"Echo/big", std::string(2 << 20, '\0')};
    // What a case changes before the extraction, beyond writing its entries.
    struct Run {
        std::string path;
        ExtractionLimits limits = kTestLimits;
        bool cancel = false;
    };
    struct Case {
        std::string archive;
        std::vector<Entry> entries;
        std::string failure = {};  // the whole line when it names the archive, else a part of it
        void (*change)(Run&) = nullptr;
        std::vector<std::string> patches = {};
        std::string tree = {};  // what the target folder holds afterwards
    };
    static constexpr auto sizeLimit = [](Run& r) { r.limits.maxTotalBytes = 1 << 20; };
    const std::vector<Case> cases = {
        {.archive = "Echo.tar.gz",
         .entries = {{"Echo/", "", Entry::folder, 0555},
                     kEcho,
                     {"Echo/run", "", Entry::file, 04750},
                     {"Echo/.DS_Store", "x"},
                     {"__MACOSX/Echo/._Echo.pd", "x"},
                     {"Echo/pipe", "", Entry::fifo},
                     {"Echo/setgid/", "", Entry::folder, 02777},
                     {"Echo/setgid/l", "../Echo.pd", Entry::symlink}},
         .patches = {"Echo"},
         .tree = "Echo/\nEcho/Echo.pd: #N canvas\nEcho/run*\nEcho/setgid/\nEcho/setgid/l -> "
                 "../Echo.pd\n"},
        {.archive = "Echo.zip",
         .entries =
             {kEcho, {"Echo/B/B.pd"}, {"Echo/Caf\x82.txt"}, {"./Echo/\xc3\xa9t\xc3\xa9.txt"}},
         .patches = {"Echo"},
         .tree =
             "Echo/\nEcho/B/\nEcho/B/B.pd\nEcho/Café.txt\nEcho/Echo.pd: #N canvas\nEcho/été.txt\n"},
        // In the "C" locale of the tests, as in any other.
        {.archive = "Flag.zip",
         .entries = {{"Flag/Flag.pd"}, {"Flag/\xc3\xa9t\xc3\xa9.txt"}},
         .change = [](Run& run) { flagUtf8Names(run.path); },
         .patches = {"Flag"},
         .tree = "Flag/\nFlag/Flag.pd\nFlag/été.txt\n"},
        {.archive = "Pack.tgz",
         .entries = {{"A/A.pd"}, {"B/B.pd", "b"}, {"B/h", "B/B.pd", Entry::hardLink}},
         .patches = {"A", "B"},
         .tree = "A/\nA/A.pd\nB/\nB/B.pd: b x2\nB/h: b x2\n"},
        // Hard links into another patch of a pack become copies, one per patch.
        {.archive = "Pk.tar",
         .entries = {{"Pk/A/A.pd", "a", Entry::file, 0755},
                     {"Pk/B/B.pd", "b"},
                     {"Pk/B/h", "Pk/A/A.pd", Entry::hardLink},
                     {"Pk/B/k", "Pk/B/h", Entry::hardLink},
                     {"Pk/A/i", "Pk/A/A.pd", Entry::hardLink}},
         .patches = {"Pk/A", "Pk/B"},
         .tree = "Pk/\nPk/A/\nPk/A/A.pd*: a x2\nPk/A/i*: a x2\nPk/B/\nPk/B/B.pd: b\nPk/B/h*: a "
                 "x2\nPk/B/k*: a x2\n"},
        {.archive = "Side.tar",
         .entries = {kEcho, {"A/A.pd", "a"}, {"Echo/h", "A/A.pd", Entry::hardLink}},
         .patches = {"A", "Echo"},
         .tree = "A/\nA/A.pd: a\nEcho/\nEcho/Echo.pd: #N canvas\nEcho/h: a\n"},
        {.archive = "Pack.tar.xz",
         .entries = {{"Pack/B/B.pd"}, {"Pack/A/A.pd"}, {"Pack/A/l", "A.pd", Entry::symlink}},
         .patches = {"Pack/A", "Pack/B"},
         .tree = "Pack/\nPack/A/\nPack/A/A.pd\nPack/A/l -> A.pd\nPack/B/\nPack/B/B.pd\n"},
        {.archive = "Echo.tar.zst",
         .entries = {{"Echo.pd"}, {"Echo/x.wav"}, {"Echo/l", "../Echo.pd", Entry::symlink}},
         .patches = {"Echo"},
         .tree = "Echo/\nEcho/Echo/\nEcho/Echo.pd\nEcho/Echo/l -> ../Echo.pd\nEcho/Echo/x.wav\n"},
        {"Echo.tar.bz2",
         {{"notes.txt"}, {"A/A.pd"}},
         "Echo.tar.bz2: no patch folder and no \"Echo.pd\" at the top"},
        {"Pack.tar",
         {{"Pack/A/A.pd"}, {"Pack/readme.txt"}},
         "Pack.tar: no patch folder and no \"Pack.pd\" at the top"},
        {"Empty.zip", {{"__MACOSX/._x"}}, "Empty.zip: holds nothing to install"},
        {"Abs.tar", {kEcho, {victim, "pwned"}}, "has an absolute path"},
        {"Up.tar", {kEcho, {"Echo/../../victim/passwd", "pwned"}}, "climbs out with \"..\""},
        {"Through.tar",
         {kEcho, {"Echo/evil", "../../victim", Entry::symlink}, {"Echo/evil/passwd", "pwned"}},
         "is a link to \"../../victim\", which may lead outside"},
        {"AbsLink.zip", {kEcho, {"Echo/evil", victim, Entry::symlink}}, "which may lead outside"},
        // Lexically inside, but "x" might be a link: only leading ".." may climb.
        {"Undone.tar", {kEcho, {"Echo/l", "x/../Echo.pd", Entry::symlink}}, "may lead outside"},
        {"Beside.tar", {kEcho, {"Echo/l", "../Other", Entry::symlink}}, "out of its patch folder"},
        {"HardOut.tar", {kEcho, {"Echo/h", victim, Entry::hardLink}}, "extracted before it"},
        {"HardAhead.tar",
         {kEcho, {"Echo/h", "Echo/later", Entry::hardLink}, {"Echo/later"}},
         "is a hard link to \"Echo/later\", not to a file extracted before it"},
        // A hidden folder is no patch folder: it would be hidden in the library.
        {"Hid.tar", {{".Hid/.Hid.pd"}}, "no patch folder and no \"Hid.pd\" at the top"},
        {"Twice.tar",
         {kEcho, {"Echo/h", "Echo/Echo.pd", Entry::hardLink}, {"Echo/h", "pwned"}},
         "the entry \"Echo/h\" clashes with an entry before it"},
        {"PackLink.tar",
         {{"P/A/A.pd"}, {"P/B/B.pd"}, {"P/A/l", "../B/B.pd", Entry::symlink}},
         "the entry \"P/A/l\" is a link to \"../B/B.pd\", which leads out of its patch folder"},
        {"Sibling.tar",
         {kEcho, {"A/A.pd"}, {"A/l", "../Echo/Echo.pd", Entry::symlink}},
         "which leads out of its patch folder"},
        {"Big.tar.gz", {kEcho, big}, "more than 1 MiB (the size limit)", sizeLimit},
        // The folders a path needs count as entries.
        {"Deep.tar", {{"1/2/3/4/5/6/7/8/9/10/11/x"}}, "more than 10 entries (the entry limit)"},
        {"Bomb.tar.gz",
         {kEcho, big},
         "more than 10 times its own size (the expansion limit)",
         [](Run& r) { r.limits.maxExpansion = 10; }},
        {"Full.tar",
         {kEcho},
         "free on the disk (the free space reserve)",
         [](Run& r) { r.limits.keepFreeBytes = ~std::uint64_t{0}; }},
        {"Cut.tar",
         {kEcho, big},
         "damaged or cut short (Truncated tar archive",
         [](Run& r) { truncate(r.path.c_str(), fs::file_size(r.path) / 2); }},
        {"Corrupt.zip", {kEcho, big}, "damaged or cut short (", [](Run& r) { scramble(r.path); }},
        {"Liar.zip",
         {big},
         "unpacks to more than 1 MiB (the size limit)",
         [](Run& r) {
             sizeLimit(r);
             understateSizes(r.path);
         }},
        {"Secret.zip",
         {},
         "the entry \"Echo/Echo.pd\" is encrypted",
         [](Run& r) { writeArchive(r.path, {kEcho}, "zip:encryption=zipcrypt"); }},
        {"Stop.tar", {kEcho, big}, "Stop.tar: cancelled", [](Run& r) { r.cancel = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        const ScratchDir target;
        Run run{scratch.path(c.archive)};
        writeArchive(run.path, c.entries);
        if (c.change) c.change(run);
        const std::string before = linesOf(scratch.root());
        const ExtractedPatches result =
            extractPatches(run.path, target.root(), run.limits, {[&] { return run.cancel; }, {}});
        std::vector<std::string> expected;
        for (const std::string& patch : c.patches) expected.push_back(target.path(patch));
        EXPECT_EQ(result.patchFolders, expected);
        const bool whole = c.failure.empty() || c.failure.starts_with(c.archive + ":");
        EXPECT_TRUE(whole ? result.failure == c.failure
                          : result.failure.find(c.failure) != std::string::npos)
            << result.failure;
        EXPECT_EQ(linesOf(target.root()), c.tree);
        EXPECT_EQ(linesOf(scratch.root()), before);
    }
    // A target folder that is not empty is refused, and what it holds stays.
    const ScratchDir target;
    target.writeFile("mine", "kept");
    EXPECT_EQ(extractPatches(scratch.path("Echo.zip"), target.root(), kTestLimits).failure,
              "Echo.zip: \"" + target.root() + "\" is not empty");
    EXPECT_EQ(linesOf(target.root()), "mine: kept\n");
}
