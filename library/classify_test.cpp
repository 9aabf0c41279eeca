#include "library/VQAUUtils.h"

#include "fsutil/readBlock.h"
#include "testing/ChildProcess.h"
#include "testing/OutputCapture.h"
#include "testing/ScratchDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

using namespace testing_support;

TEST(GetType, FindsTheMarkerAnywhereCaseSensitivelyAcrossReadBlocksAndAppliesTheFolderRule) {
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
    for (const auto& [content, type] : cases)  // the same pointer, not the same text
        EXPECT_EQ(getType(dir.writeFile("patch.pd", content)), type) << content;
    const std::string locked = dir.writeFile("locked.pd", "#X obj 1 1 notein;\n");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    EXPECT_EQ(runUnprivileged([&] { return getType(locked) == EFFECTS_DIR ? 0 : 1; }), 0);
    EXPECT_EQ(getType(dir.path("missing.pd")), EFFECTS_DIR);
    EXPECT_EQ(getType(dir.makeDir("folder.pd")), EFFECTS_DIR);
    constexpr std::size_t kBlock = kReadBlockBytes;
    // 'x' is no byte of the marker; 'n' everywhere sends the search into runs of 256 starts.
    for (char filler : {'x', 'n'})
        for (std::size_t offset :
             {std::size_t{255}, std::size_t{256}, kBlock - 257, kBlock - 256, kBlock - 6,
              kBlock - 5, kBlock - 3, kBlock - 1, kBlock, 2 * kBlock - 2, 3 * kBlock + 7}) {
            const std::string content =
                std::string(offset, filler) + "notein" + std::string(100, filler);
            EXPECT_EQ(getType(dir.writeFile("big.pd", content)), INSTRUMENTS_DIR)
                << filler << offset;
        }
    std::string nearMisses(3 * kBlock + 11, 'x');
    for (std::size_t i = kBlock - 3; i < nearMisses.size(); i += kBlock)
        nearMisses.replace(i, 5, "notei");
    EXPECT_EQ(getType(dir.writeFile("near.pd", nearMisses)), EFFECTS_DIR);
    std::string dense;
    while (dense.size() < 3 * kBlock) dense += "nnoteon notei noten ";
    EXPECT_EQ(getType(dir.writeFile("dense.pd", dense)), EFFECTS_DIR);
    // For a folder: N is a patch when it holds N.pd, whose type is the folder's (a folder N.pd:
    // an effect).
    dir.writeFile("Bass/Bass.pd", "#X obj 1 1 notein;\n");
    dir.writeFile("Lead/Lead.pd", "#X obj 1 1 dac~;\n");
    dir.writeFile("Lead/helper.pd", "#X obj 1 1 notein;\n");
    dir.makeDir("Hollow/Hollow.pd");
    for (const char* other : {"Lower/lower.pd", "Upper/Upper.PD", "Other/Other2.pd",
                              "Nested/Sub/Nested.pd", ".Hidden/.Hidden.pd"})
        dir.writeFile(other, "#X obj 1 1 notein;\n");
    const std::pair<const char*, const char*> folders[] = {
        {"Bass", INSTRUMENTS_DIR}, {"Bass/", INSTRUMENTS_DIR}, {"Lead", EFFECTS_DIR},
        {"Hollow", EFFECTS_DIR},   {"Lower", nullptr},         {"Upper", nullptr},
        {"Other", nullptr},        {"Nested", nullptr},        {".Hidden/", nullptr},
        {"missing", nullptr}};
    std::vector<std::string> entries = listDir(dir.path("Lead"));
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries,
              (std::vector<std::string>{dir.path("Lead/Lead.pd"), dir.path("Lead/helper.pd")}));
    for (const auto& [folder, type] : folders) {
        SCOPED_TRACE(folder);
        const char* result = EFFECTS_DIR;
        const std::string output = captureStdout([&] { result = getTypeForDir(dir.path(folder)); });
        EXPECT_EQ(result, type);
        EXPECT_EQ(output,
                  type ? "Found " + getDirName(folder) + "\nIt's a " + type + "\n" : output);
    }
}
