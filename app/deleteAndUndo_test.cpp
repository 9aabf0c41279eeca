#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "app/VQ_ImporterAppDelegate.h"
#include "library/VQAUUtils.h"
#include "testing/ChildProcess.h"
#include "testing/FakeViews.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

const std::string kNewer = "#X obj 1 1 dac~; newer\n";

std::string addEffect(const std::string& name, const std::string& content = kEffect) {
    const std::string folder = kEffects + "/" + name;
    fs::create_directories(folder);
    writeFile(folder + "/" + name + ".pd", content);
    return folder;
}

std::string mainFileOf(const std::string& name) {
    const std::string file = kEffects + "/" + name + "/" + name + ".pd";
    return pathExists(file) ? readFile(file) : "";
}

std::vector<std::string> trash(const char* part) {
    return entriesOf(ScratchLibrary::dataHome() + "/Trash/" + part);
}

class UndoTest : public ::testing::Test {
protected:
    // Selects the effect and presses Delete.
    void deleteEffect(const std::string& name) {
        controller.reloadPatches(EFFECTS_DIR);
        for (int row = 0; row < controller.numberOfRowsInTableView(&views.patches); ++row)
            if (controller.tableViewObjectValueForTableColumnRow(&views.patches, "", row) == name)
                views.patches.selected = row;
        controller.deletePressed();
    }

    ScratchLibrary library;
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views{controller};
};

TEST_F(UndoTest, DeletesGoToTheTrashAndUndoBringsThemBackLatestFirst) {
    addEffect("Echo");
    addEffect("Drone");
    deleteEffect("Echo");
    deleteEffect("Drone");
    EXPECT_EQ(trash("files"), (std::vector<std::string>{"Drone", "Echo"}));
    EXPECT_EQ(views.notice.text, "Deleted “Drone”");
    EXPECT_EQ(views.notice.actionTitle, "Undo");
    EXPECT_EQ(views.undoMenuItem.title, "Undo Delete “Drone”");

    // A patch of that name is there again: Undo is refused and can try again.
    addEffect("Drone", kNewer);
    views.notice.action();
    ASSERT_EQ(views.window.sheets.size(), 1u);
    EXPECT_EQ(views.window.sheets[0].messageText, "“Drone” can't be put back");
    EXPECT_EQ(views.window.sheets[0].informativeText,
              "A patch named “Drone” is installed again. Rename or delete it, then choose Undo "
              "again.");
    EXPECT_EQ(mainFileOf("Drone"), kNewer);
    EXPECT_EQ(views.undoMenuItem.title, "Undo Delete “Drone”");

    fs::remove_all(kEffects + "/Drone");
    controller.undoPressed();
    EXPECT_EQ(views.undoMenuItem.title, "Undo Delete “Echo”");
    controller.undoPressed();
    EXPECT_EQ(mainFileOf("Drone"), kEffect);
    EXPECT_EQ(mainFileOf("Echo"), kEffect);
    EXPECT_TRUE(trash("files").empty());
    EXPECT_TRUE(trash("info").empty());
    EXPECT_EQ(views.undoMenuItem.title, "Undo");
    EXPECT_FALSE(views.undoMenuItem.enabled);
    EXPECT_EQ(controller.numberOfRowsInTableView(&views.patches), 2);
}

// Undo of an install puts back every earlier copy it replaced; the newer
// copies go to the trash in their stead.
TEST_F(UndoTest, UndoOfAnInstallPutsTheEarlierCopiesBack) {
    struct Case {
        const char* what;
        std::vector<std::string> dropped;
        std::string notice;
        std::string undoTitle;
    };
    const std::vector<Case> cases = {
        {"a patch folder", {"Echo/"}, "Replaced “Echo”", "Undo Replace “Echo”"},
        {"a file into its patch folder", {"Echo.pd"}, "Replaced “Echo”", "Undo Replace “Echo”"},
        {"two patches", {"Echo/", "Drone/"}, "Replaced 2 patches", "Undo Replace of 2 Patches"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchLibrary fresh;
        ScratchDir source;
        std::vector<std::string> paths;
        for (const std::string& item : c.dropped) {
            const std::string name = item.substr(0, item.find_first_of("/."));
            addEffect(name);
            const bool folder = item.back() == '/';
            source.writeFile(folder ? name + "/" + name + ".pd" : item, kNewer);
            paths.push_back(source.path(folder ? name : item));
        }
        controller.applicationOpenFiles(paths);
        EXPECT_EQ(views.notice.text, c.notice);
        EXPECT_EQ(views.undoMenuItem.title, c.undoTitle);
        for (const std::string& item : c.dropped)
            EXPECT_EQ(mainFileOf(item.substr(0, item.find_first_of("/."))), kNewer);

        views.notice.action();
        for (const std::string& item : c.dropped)
            EXPECT_EQ(mainFileOf(item.substr(0, item.find_first_of("/."))), kEffect);
        EXPECT_EQ(trash("files").size(), c.dropped.size());
        EXPECT_EQ(trash("info").size(), c.dropped.size());
        EXPECT_FALSE(views.undoMenuItem.enabled);
    }
}

// Where no trash takes a patch, Delete asks, and only a yes deletes. The
// library gets a mount of its own whose top-directory trash is a link, which
// the trash refuses, while the home trash lies on another mount.
TEST(DeleteWithoutTrash, AsksAndOnlyAYesDeletes) {
    ScratchLibrary library;
    ScratchDir elsewhere;
    addEffect("Echo");
    const std::string mounted = addEffect("Busy") + "/samples";
    fs::create_directory(mounted);
    const std::string parent = ScratchLibrary::parentDir();
    const std::string topTrash = parent + "/.Trash-" + std::to_string(geteuid());
    const int outcome = runInPrivateMounts([&] {
        if (mount(parent.c_str(), parent.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(elsewhere.root().c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            symlink(elsewhere.path("no trash").c_str(), topTrash.c_str()) != 0)
            return kChildSetupFailed;
        VQ_ImporterAppDelegate controller;
        FakeWindowViews views(controller);
        const auto deleteAndPress = [&](const std::string& name, const std::string& button) {
            for (int row = 0; row < controller.numberOfRowsInTableView(&views.patches); ++row)
                if (controller.tableViewObjectValueForTableColumnRow(&views.patches, "", row) ==
                    name)
                    views.patches.selected = row;
            controller.deletePressed();
            views.window.press(button);
        };
        deleteAndPress("Echo", "Cancel");
        EXPECT_EQ(views.window.sheets.back().messageText, "Delete “Echo” permanently?");
        EXPECT_EQ(views.window.sheets.back().informativeText,
                  "It can't be moved to the trash: Invalid cross-device link. A patch deleted "
                  "permanently can't be brought back.");
        EXPECT_EQ(mainFileOf("Echo"), kEffect);
        deleteAndPress("Echo", "Delete");
        EXPECT_FALSE(pathExists(kEffects + "/Echo"));

        // A permanent delete that fails says why, and the patch stays listed.
        deleteAndPress("Busy", "Delete");
        EXPECT_EQ(views.window.sheets.back().messageText, "“Busy” could not be deleted");
        EXPECT_TRUE(views.window.sheets.back().informativeText.starts_with(
            "Device or resource busy."));
        EXPECT_EQ(controller.numberOfRowsInTableView(&views.patches), 1);
        EXPECT_EQ(views.window.sheets.size(), 4u);
        EXPECT_FALSE(views.undoMenuItem.enabled);
        EXPECT_FALSE(pathExists(elsewhere.path("no trash")));
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    if (outcome == kChildSetupFailed) GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(outcome, 0);
}

}  // namespace
