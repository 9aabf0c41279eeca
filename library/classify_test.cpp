#include "library/VQAUUtils.h"
#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <algorithm>

using testing_support::captureStdout;
using testing_support::ScratchDir;

namespace {

const std::string kInstrumentLine = "It's a " + std::string(INSTRUMENTS_DIR) + "\n";
const std::string kEffectLine = "It's a " + std::string(EFFECTS_DIR) + "\n";

TEST(GetType, FindsTheMarkerAnywhereCaseSensitively) {
    ScratchDir dir;
    const std::pair<std::string, const char*> cases[] = {
        {"#N canvas 0 0 450 300 10;\n#X text 10 10 uses notein here;\n", INSTRUMENTS_DIR},
        {"#X obj 10 10 noteins;\n", INSTRUMENTS_DIR},
        {"#X obj 10 10 dac~;\n#X obj 10 40 notein", INSTRUMENTS_DIR},  // no final newline
        {std::string("\0\x01\xff\0notein\0", 11), INSTRUMENTS_DIR},    // binary content
        {"#X obj 10 10 NoteIn;\n#X obj 1 1 NOTEIN;\n", EFFECTS_DIR},
        {"note\nin\n", EFFECTS_DIR},  // split over two lines is no marker
        {"", EFFECTS_DIR},
    };
    for (const auto& [content, type] : cases) {
        SCOPED_TRACE(content);
        std::string path = dir.writeFile("patch.pd", content);
        EXPECT_EQ(getType(path), type);  // identity, not text
    }
}

TEST(GetType, SeesAMarkerSplitAcrossReadBlocks) {
    ScratchDir dir;
    constexpr std::size_t kBlock = 64 * 1024;
    // 'x' is no byte of the marker; 'n', its last byte, everywhere makes the
    // search compare runs of 256 starts at once, the last run of a block ending
    // 256 starts before the block's end.
    for (char filler : {'x', 'n'}) {
        for (std::size_t offset : {std::size_t{255}, std::size_t{256}, kBlock - 257, kBlock - 256,
                                   kBlock - 6, kBlock - 5, kBlock - 3, kBlock - 1, kBlock,
                                   2 * kBlock - 2, 3 * kBlock + 7}) {
            SCOPED_TRACE(std::string(1, filler) + std::to_string(offset));
            std::string content(offset, filler);
            content += "notein";
            content.append(100, filler);
            EXPECT_EQ(getType(dir.writeFile("big.pd", content)), INSTRUMENTS_DIR);
        }
    }
    std::string withoutMarker(3 * kBlock + 11, 'x');
    for (std::size_t i = kBlock - 3; i < withoutMarker.size(); i += kBlock)
        withoutMarker.replace(i, 5, "notei");  // near misses on every boundary
    EXPECT_EQ(getType(dir.writeFile("near.pd", withoutMarker)), EFFECTS_DIR);
    std::string denseNearMisses;
    while (denseNearMisses.size() < 3 * kBlock) denseNearMisses += "nnoteon notei noten ";
    EXPECT_EQ(getType(dir.writeFile("dense.pd", denseNearMisses)), EFFECTS_DIR);
}

TEST(GetType, UnreadableMissingOrDirectoryIsAnEffect) {
    ScratchDir dir;
    std::string locked = dir.writeFile("locked.pd", "#X obj 1 1 notein;\n");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    EXPECT_EQ(
        testing_support::runUnprivileged([&] { return getType(locked) == EFFECTS_DIR ? 0 : 1; }),
        0);
    EXPECT_EQ(getType(dir.path("missing.pd")), EFFECTS_DIR);
    EXPECT_EQ(getType(dir.makeDir("folder.pd")), EFFECTS_DIR);
    EXPECT_EQ(captureStdout([&] { getType(dir.path("missing.pd")); }), "");
}

TEST(ListDir, GivesFullPathsOfVisibleEntries) {
    ScratchDir dir;
    dir.writeFile("Echo/Echo.pd", "");
    dir.writeFile("Echo/.hidden", "");
    dir.makeDir("Echo/Sub");
    for (const std::string& folder : {dir.path("Echo"), dir.path("Echo/")}) {
        std::vector<std::string> entries = listDir(folder);
        std::sort(entries.begin(), entries.end());
        EXPECT_EQ(entries,
                  (std::vector<std::string>{dir.path("Echo/Echo.pd"), dir.path("Echo/Sub")}));
    }
    EXPECT_TRUE(listDir(dir.makeDir("Empty")).empty());
}

TEST(GetTypeForDir, AppliesThePatchFolderRule) {
    ScratchDir dir;
    dir.writeFile("Bass/Bass.pd", "#X obj 1 1 notein;\n");
    dir.writeFile("Bass/Other.pd", "");
    const char* result = nullptr;
    EXPECT_EQ(captureStdout([&] { result = getTypeForDir(dir.path("Bass")); }),
              "Found Bass\n" + kInstrumentLine);
    EXPECT_EQ(result, INSTRUMENTS_DIR);
    EXPECT_EQ(getTypeForDir(dir.path("Bass/")), INSTRUMENTS_DIR);

    dir.writeFile("Lead/Lead.pd", "#X obj 1 1 dac~;\n");
    dir.writeFile("Lead/helper.pd", "#X obj 1 1 notein;\n");  // not the main file
    EXPECT_EQ(getTypeForDir(dir.path("Lead")), EFFECTS_DIR);

    dir.makeDir("Hollow/Hollow.pd");  // main file that is a directory
    EXPECT_EQ(captureStdout([&] { result = getTypeForDir(dir.path("Hollow")); }),
              "Found Hollow\n" + kEffectLine);
    EXPECT_EQ(result, EFFECTS_DIR);
}

TEST(GetTypeForDir, RejectsFoldersWithoutTheirOwnMainFile) {
    ScratchDir dir;
    dir.writeFile("Lower/lower.pd", "");
    dir.writeFile("Upper/Upper.PD", "");
    dir.writeFile("Other/Other2.pd", "");
    dir.writeFile("Nested/Sub/Nested.pd", "");
    dir.writeFile(".Hidden/.Hidden.pd", "");
    for (const char* name : {"Lower", "Upper", "Other", "Nested", ".Hidden", ".Hidden/"}) {
        SCOPED_TRACE(name);
        const char* result = INSTRUMENTS_DIR;
        EXPECT_EQ(captureStdout([&] { result = getTypeForDir(dir.path(name)); }), "");
        EXPECT_EQ(result, nullptr);
    }
    const char* result = EFFECTS_DIR;
    EXPECT_EQ(captureStdout([&] { result = getTypeForDir(dir.path("missing")); }),
              "ofxDirList - error opening directory");
    EXPECT_EQ(result, nullptr);
}

}  // namespace
