#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "testing/FakeViews.h"
#include "testing/logTexts.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"
#include "testing/OutputCapture.h"

namespace fs = std::filesystem;
using testing_support::FakeDraggingInfo;
using testing_support::FakePasteboardItem;
using testing_support::FakeWindowViews;
using testing_support::ScratchDir;
using testing_support::ScratchLibrary;

namespace {

// A file URL the way a file manager puts it on the pasteboard: every byte
// outside the unreserved characters and "/" is percent-encoded.
std::string fileUrl(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) ||
            std::string_view("/-._~").find(static_cast<char>(c)) != std::string_view::npos) {
            url.push_back(static_cast<char>(c));
        } else {
            url += {'%', hex[c >> 4], hex[c & 15]};
        }
    }
    return url;
}

const char* const kEffect = "#N canvas 0 0 450 300 10;\n#X obj 10 10 dac~;\n";
const char* const kInstrument = "#N canvas 0 0 450 300 10;\n#X obj 10 10 notein;\n";

// What one call wrote: standard output, and the texts of the log lines.
struct Output {
    std::string out;
    std::vector<std::string> log;
};

class IntakeTest : public ::testing::Test {
protected:
    IntakeTest() : views(controller) {}

    Output run(const std::function<void()>& action) {
        Output output;
        const std::string err = testing_support::captureStderr(
            [&] { output.out = testing_support::captureStdout(action); });
        output.log = testing_support::logTexts(err);
        return output;
    }
    Output drop(const FakeDraggingInfo& info, bool expectedResult = true) {
        return run([&] {
            EXPECT_EQ(controller.tableViewAcceptDropRowDropOperation(&views.patches, info, -1,
                                                                     views::DropOperation::on),
                      expectedResult);
        });
    }
    static FakeDraggingInfo filesDragged(const std::vector<std::string>& paths) {
        std::vector<FakePasteboardItem> items;
        for (const std::string& path : paths)
            items.push_back(FakePasteboardItem::fileUrl(fileUrl(path)));
        return FakeDraggingInfo(items);
    }
    std::set<std::string> shownNames() {
        std::set<std::string> names;
        for (int row = 0; row < controller.numberOfRowsInTableView(&views.patches); ++row)
            names.insert(
                controller.tableViewObjectValueForTableColumnRow(&views.patches, "n", row));
        return names;
    }
    static bool installed(const char* typeDir, const std::string& name) {
        return fs::is_regular_file(std::string(typeDir) + "/" + name + "/" + name + ".pd");
    }

    ScratchLibrary library;
    ScratchDir source;
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views;
};

TEST_F(IntakeTest, TheLastInstalledTypeWins) {
    const std::string effect = source.writeFile("Echo.pd", kEffect);
    const std::string instrument = source.writeFile("Bass.pd", kInstrument);

    drop(filesDragged({effect, instrument}));
    EXPECT_TRUE(installed(EFFECTS_DIR, "Echo"));
    EXPECT_TRUE(installed(INSTRUMENTS_DIR, "Bass"));
    EXPECT_EQ(views.typeSelector.segment, 1);
    EXPECT_EQ(shownNames(), std::set<std::string>{"Bass"});

    const Output output = drop(filesDragged({instrument, effect}));
    EXPECT_EQ(output.log,
              (std::vector<std::string>{"0", "file://" + instrument, "1", "file://" + effect}));
    EXPECT_EQ(views.typeSelector.segment, 0);
    EXPECT_EQ(shownNames(), std::set<std::string>{"Echo"});
}

TEST_F(IntakeTest, ABadDropAlertsAndChangesNothing) {
    fs::create_directories(std::string(INSTRUMENTS_DIR) + "/Bass");
    controller.reloadPatches(INSTRUMENTS_DIR);
    const std::string notAPatch = source.makeDir("Loops");
    source.writeFile("Loops/loop.pd", kEffect);
    const std::string empty = source.makeDir("Empty");

    const Output output = drop(filesDragged({notAPatch, empty}));
    EXPECT_TRUE(output.out.ends_with("\ninvalid files\n")) << output.out;
    ASSERT_EQ(views.window.sheets.size(), 1u);
    const views::Alert& alert = views.window.sheets.front();
    EXPECT_EQ(alert.buttonTitles, std::vector<std::string>{"OK"});
    EXPECT_EQ(alert.messageText, "The file or folder was invalid");
    EXPECT_EQ(alert.informativeText,
              "Maybe you dropped a file with no dac~ or a folder that doesn't contain a patch of "
              "the same name!");
    EXPECT_EQ(alert.style, views::AlertStyle::warning);
    EXPECT_EQ(views.typeSelector.segment, 1);
    EXPECT_EQ(shownNames(), std::set<std::string>{"Bass"});
    EXPECT_EQ(fs::directory_iterator(EFFECTS_DIR), fs::directory_iterator());
}

// A request that installs some items and not others says how many were not
// installed, and its details give each one's reason; what it replaced stays
// undoable.
TEST_F(IntakeTest, APartlyInstalledRequestSaysWhichItemsWereNotInstalledAndWhy) {
    fs::create_directories(std::string(EFFECTS_DIR) + "/Echo");
    testing_support::writeFile(std::string(EFFECTS_DIR) + "/Echo/Echo.pd", kEffect);
    testing_support::writeFile(std::string(EFFECTS_DIR) + "/Pad", "in the way");
    source.writeFile("Echo/Echo.pd", kEffect);
    const std::string missing = source.path("missing.pd");
    const std::string loops = source.makeDir("Loops");
    const std::string pad = source.writeFile("Pad.pd", kEffect);

    drop(filesDragged({source.path("Echo"), missing, loops, pad}));
    EXPECT_EQ(views.notice.text, "3 of 4 items were not installed");
    EXPECT_EQ(views.undoMenuItem.title, "Undo Replace “Echo”");
    EXPECT_TRUE(views.window.sheets.empty());
    views.notice.action();
    EXPECT_EQ(views.itemList.title, "Items not installed");
    EXPECT_EQ(views.itemList.items,
              (std::vector<std::pair<std::string, std::string>>{
                  {missing, "not found"},
                  {loops, "not a patch folder"},
                  {pad, "copy failed: Not a directory"}}));
}

TEST_F(IntakeTest, DropsWithoutUsableItemsInstallNothing) {
    const Output noList = drop(FakeDraggingInfo(), false);
    EXPECT_TRUE(noList.log.empty());
    EXPECT_EQ(noList.out, "");

    const Output untyped =
        drop(FakeDraggingInfo({FakePasteboardItem({}, {}), FakePasteboardItem({}, {})}));
    EXPECT_EQ(untyped.log, (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(untyped.out, "");

    const Output noItems = drop(FakeDraggingInfo(std::vector<FakePasteboardItem>{}));
    EXPECT_TRUE(noItems.log.empty());
    EXPECT_EQ(noItems.out, "");
    EXPECT_TRUE(views.window.sheets.empty());
}

TEST_F(IntakeTest, OnlyTheFirstDeclaredTypeOfAnItemCounts) {
    const std::string patch = source.writeFile("Echo.pd", kEffect);
    const FakePasteboardItem item({"text/plain", views::kFilenamesPboardType},
                                  {{"text/plain", patch}, {views::kFilenamesPboardType, "x"}});
    const Output output = drop(FakeDraggingInfo({item}));
    EXPECT_EQ(output.log, (std::vector<std::string>{"0", patch}));
    EXPECT_TRUE(installed(EFFECTS_DIR, "Echo"));
}

TEST_F(IntakeTest, DecodingKeepsEveryByteAndSkipsItemsWithANulByte) {
    const std::string utf8 = source.writeFile("Écho 100%.pd", kEffect);
    const std::string literalPercent = source.writeFile("50%off.pd", kEffect);
    // "%of" is no escape: a file manager would never send it, but it must
    // reach installation as it stands.
    const FakeDraggingInfo info({FakePasteboardItem::fileUrl("file://" + source.root() + "/x%00y"),
                                 FakePasteboardItem::fileUrl(fileUrl(utf8)),
                                 FakePasteboardItem::fileUrl("file://" + literalPercent)});

    const Output output = drop(info);
    using namespace std::string_literals;
    EXPECT_EQ(output.log,
              (std::vector<std::string>{"0", "file://" + source.root() + "/x\0y"s, "1",
                                        "file://" + utf8, "2", "file://" + literalPercent}));
    EXPECT_TRUE(installed(EFFECTS_DIR, "Écho 100%"));
    EXPECT_TRUE(installed(EFFECTS_DIR, "50%off"));
    EXPECT_EQ(output.out.find("/x"), std::string::npos) << output.out;

    const Output onlyNul = drop(FakeDraggingInfo({FakePasteboardItem::fileUrl("file:///tmp/%00")}));
    EXPECT_EQ(onlyNul.out, "");
    EXPECT_TRUE(views.window.sheets.empty());
}

TEST_F(IntakeTest, OpenRequestsLogTheNameBeforeDecodingIt) {
    const std::string patch = source.writeFile("My Bass.pd", kInstrument);
    const std::string requested = source.root() + "/My%20Bass.pd";
    Output output = run([&] { EXPECT_TRUE(controller.applicationOpenFiles({requested})); });
    EXPECT_EQ(output.log, std::vector<std::string>{requested});
    EXPECT_TRUE(installed(INSTRUMENTS_DIR, "My Bass"));
    EXPECT_EQ(views.typeSelector.segment, 1);
    EXPECT_EQ(shownNames(), std::set<std::string>{"My Bass"});

    // Nothing installable: still YES, with the line and the alert.
    const std::string missing = source.root() + "/missing";
    output = run([&] { EXPECT_TRUE(controller.applicationOpenFiles({missing})); });
    EXPECT_EQ(output.log, std::vector<std::string>{missing});
    EXPECT_TRUE(output.out.ends_with("invalid files\n")) << output.out;
    EXPECT_EQ(views.window.sheets.size(), 1u);
    EXPECT_EQ(views.typeSelector.segment, 1);

    output = run([&] { EXPECT_TRUE(controller.applicationOpenFiles({})); });
    EXPECT_EQ(output.out, "");
    EXPECT_TRUE(output.log.empty());
}

}  // namespace
