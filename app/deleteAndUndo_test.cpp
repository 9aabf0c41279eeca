#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>

#include "app/VQ_ImporterAppDelegate.h"
#include "testing/ChildProcess.h"
#include "testing/FakeViews.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

const std::string kNewer = "#X obj 1 1 dac~; newer\n";

std::string mainFileOf(const std::string& name) {
    const std::string file = kEffects + "/" + name + "/" + name + ".pd";
    return pathExists(file) ? readFile(file) : "";
}

std::size_t inTrash(const char* part) {
    return entriesOf(ScratchLibrary::dataHome() + "/Trash/" + part).size();
}

void deleteEffect(FakeWindowViews& views, const std::string& name) {
    views.controller.reloadPatches(EFFECTS_DIR);
    views.select(name);
    views.controller.deletePressed();
}

// Deletes go to the trash and Undo brings them back, latest first. Undo of an install, even a
// partial one (whose notice lists why each other item failed), puts back the copies it replaced.
TEST(UndoTest, DeletesAndReplacesAreUndoneLatestFirst) {
    ScratchLibrary library;
    FakeWindowViews views;
    addPatch("Echo", kEffect);
    addPatch("Drone", kEffect);
    deleteEffect(views, "Echo");
    deleteEffect(views, "Drone");

    // A patch of that name is there again: Undo is refused and can try again.
    addPatch("Drone", kNewer);
    views.noticeAction();
    ASSERT_EQ(views.sheets.size(), 1u);
    EXPECT_EQ(views.sheets[0].messageText, "“Drone” can't be put back");
    EXPECT_EQ(views.sheets[0].informativeText,
              "A patch named “Drone” is installed again. Rename or delete it, then choose Undo "
              "again.");
    EXPECT_EQ(mainFileOf("Drone"), kNewer);
    EXPECT_EQ(views.undoTitle, "Undo Delete “Drone”");

    fs::remove_all(kEffects + "/Drone");
    views.controller.undoPressed();
    EXPECT_EQ(views.undoTitle, "Undo Delete “Echo”");
    views.controller.undoPressed();
    EXPECT_EQ(mainFileOf("Drone") + mainFileOf("Echo"), kEffect + kEffect);
    EXPECT_EQ(inTrash("files") + inTrash("info"), 0u);
    EXPECT_EQ(views.undoTitle, "Undo");
    EXPECT_FALSE(views.undoEnabled);
    EXPECT_EQ(views.names().size(), 2u);

    ScratchDir source;
    for (const char* file : {"Echo/Echo.pd", "Drone/Drone.pd", "Echo.pd"})
        source.writeFile(file, kNewer);
    const std::string echo = source.path("Echo"), drone = source.path("Drone");
    const std::string echoFile = source.path("Echo.pd"), missing = source.path("missing.pd");
    const std::string empty = source.makeDir("Empty"), pad = source.writeFile("Pad.pd", kEffect);
    struct Case {
        std::vector<std::string> installed, names;
        std::string notice, undoTitle;
        std::vector<std::pair<std::string, std::string>> notInstalled = {};  // instead of Undo
    };
    const std::vector<Case> cases = {
        {{echo}, {"Echo"}, "Replaced “Echo”", "Undo Replace “Echo”"},
        {{echoFile}, {"Echo"}, "Replaced “Echo”", "Undo Replace “Echo”"},
        {{echo, drone}, {"Echo", "Drone"}, "Replaced 2 patches", "Undo Replace of 2 Patches"},
        {{echo, missing, empty, pad},
         {"Echo"},
         "3 of 4 items were not installed",
         "Undo Replace “Echo”",
         {{missing, "not found"},
          {empty, "not a patch folder: no “Empty.pd” inside"},
          {pad, "not a directory"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installed.back());
        ScratchLibrary fresh;
        for (const std::string& name : c.names) addPatch(name, kEffect);
        writeFile(kEffects + "/Pad", "in the way");
        views.controller.applicationOpenFiles(c.installed);
        EXPECT_EQ(views.notice, c.notice);
        EXPECT_EQ(views.undoTitle, c.undoTitle);
        for (const std::string& name : c.names) EXPECT_EQ(mainFileOf(name), kNewer);
        views.noticeAction();
        EXPECT_EQ(views.listed, c.notInstalled);
        if (!c.notInstalled.empty()) views.controller.undoPressed();
        for (const std::string& name : c.names) EXPECT_EQ(mainFileOf(name), kEffect);
        EXPECT_EQ(inTrash("files") + inTrash("info"), 2 * c.names.size());
        EXPECT_FALSE(views.undoEnabled);
        EXPECT_EQ(views.sheets.size(), 1u);
    }
    EXPECT_EQ(views.listTitle, "Items not installed");
}

// Patches deleted together are one step for Undo and for Redo, which does again what Undo took
// back (a replace too) until the next change; the desktop gets the selected patches' files.
TEST(UndoTest, SeveralSelectedAreOneStepThatRedoDoesAgain) {
    ScratchLibrary library;
    ScratchDir source;
    source.writeFile("Echo/Echo.pd", kNewer);
    FakeWindowViews views;
    for (const char* name : {"Drone", "Echo", "Grain"}) addPatch(name, kEffect);
    views.controller.reloadPatches(EFFECTS_DIR);
    views.select("Drone");
    const int droneRow = views.patches.selected;
    views.select("Grain");
    views.patches.alsoSelected = {droneRow};
    const std::string drone = kEffects + "/Drone", grain = kEffects + "/Grain";
    views.workspace.unopenable = grain + "/Grain.pd";
    views.controller.openInPdPressed();
    views.controller.showInFilesPressed();
    views.controller.copyPathPressed();
    // In the list's order, which is the folder's without a lister.
    std::vector<std::string> shown = views.workspace.shownInFiles;
    EXPECT_EQ(views.workspace.copied, shown.at(0) + "\n" + shown.at(1));
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{drone, grain}));
    std::vector<std::string> opened = views.workspace.opened;
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, (std::vector<std::string>{drone + "/Drone.pd", grain + "/Grain.pd"}));
    EXPECT_EQ(views.notice, "Can't open “Grain” in Pd: no program opens it.");

    views.controller.deletePressed();
    EXPECT_EQ(views.names(), std::vector<std::string>{"Echo"});
    EXPECT_EQ(views.notice, "Deleted 2 patches");
    views.controller.applicationOpenFiles({source.path("Echo")});
    // Each title names the step; Redo is there only for what Undo took back.
    std::vector<std::string> titles;
    const auto act = [&](void (VQ_ImporterAppDelegate::*action)()) {
        (views.controller.*action)();
        titles.push_back(views.undoTitle + " | " + views.redo.title + " | " + mainFileOf("Echo") +
                         std::to_string(views.names().size()));
    };
    for (auto action : {&VQ_ImporterAppDelegate::undoPressed, &VQ_ImporterAppDelegate::redoPressed,
                        &VQ_ImporterAppDelegate::undoPressed, &VQ_ImporterAppDelegate::undoPressed,
                        &VQ_ImporterAppDelegate::redoPressed})
        act(action);
    views.select("Echo");
    act(&VQ_ImporterAppDelegate::deletePressed);
    EXPECT_EQ(titles, (std::vector<std::string>{
                          "Undo Delete of 2 Patches | Redo Replace “Echo” | " + kEffect + "1",
                          "Undo Replace “Echo” | Redo | " + kNewer + "1",
                          "Undo Delete of 2 Patches | Redo Replace “Echo” | " + kEffect + "1",
                          "Undo | Redo Delete of 2 Patches | " + kEffect + "3",
                          "Undo Delete of 2 Patches | Redo Replace “Echo” | " + kEffect + "1",
                          "Undo Delete “Echo” | Redo | 0"}));
    EXPECT_TRUE(views.sheets.empty());
}

// Undo puts back only the very item it trashed: once something else has its name in the trash,
// Undo is refused for good and both that item and the library stay as they are.
TEST(UndoTest, AForeignItemUnderTheTrashedNameIsNeverTakenBack) {
    ScratchDir source;
    source.writeFile("Echo/Echo.pd", kNewer);
    const std::string trash = ScratchLibrary::dataHome() + "/Trash/";
    const std::string foreignInfo =
        "[Trash Info]\nPath=/elsewhere/Echo\nDeletionDate=2020-01-01T00:00:00\n";
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replace" : "delete");
        ScratchLibrary library;
        FakeWindowViews views;
        addPatch("Echo", kEffect);
        replace ? (void)views.controller.applicationOpenFiles({source.path("Echo")})
                : deleteEffect(views, "Echo");
        fs::remove_all(trash + "files/Echo");
        fs::create_directory(trash + "files/Echo");
        writeFile(trash + "files/Echo/mine.txt", "the user's");
        writeFile(trash + "info/Echo.trashinfo", foreignInfo);
        views.controller.undoPressed();
        ASSERT_EQ(views.sheets.size(), 1u);
        EXPECT_EQ(views.sheets[0].messageText, "“Echo” is no longer in the trash");
        EXPECT_EQ(readFile(trash + "files/Echo/mine.txt"), "the user's");
        EXPECT_EQ(readFile(trash + "info/Echo.trashinfo"), foreignInfo);
        EXPECT_EQ(mainFileOf("Echo"), replace ? kNewer : "");
        EXPECT_FALSE(views.undoEnabled);
    }
}

// Where no trash takes a patch, Delete asks, in words, and only a yes deletes. The library's own
// mount has a link as its top-directory trash, which the trash refuses; the home trash is a full
// file system of its own.
TEST(DeleteWithoutTrash, AsksAndOnlyAYesDeletes) {
    ScratchLibrary library;
    ScratchDir elsewhere;
    addPatch("Echo", kEffect);
    const std::string mounted = addPatch("Busy", kEffect) + "/samples";
    fs::create_directory(mounted);
    const std::string parent = ScratchLibrary::parentDir();
    const std::string topTrash = parent + "/.Trash-" + std::to_string(geteuid());
    const std::string homeTrash = ScratchLibrary::dataHome() + "/Trash";
    fs::create_directories(homeTrash);
    expectPassesInPrivateMounts([&] {
        if (mount(parent.c_str(), parent.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(elsewhere.root().c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            symlink(elsewhere.path("no trash").c_str(), topTrash.c_str()) != 0 ||
            mount("tmpfs", homeTrash.c_str(), "tmpfs", 0, "size=4k") != 0)
            return kChildSetupFailed;
        for (const char* part : {"/files", "/info"}) fs::create_directory(homeTrash + part);
        writeFile(homeTrash + "/filler", std::string(4096, 'x'));
        FakeWindowViews views;
        deleteEffect(views, "Echo");
        views.press("Cancel");
        EXPECT_EQ(views.sheets.back().messageText, "Delete “Echo” permanently?");
        const std::string& why = views.sheets.back().informativeText;
        EXPECT_TRUE(why.starts_with("There is no trash on the disk that holds the library")) << why;
        EXPECT_TRUE(why.ends_with(". A patch deleted permanently can't be brought back.")) << why;
        EXPECT_EQ(mainFileOf("Echo"), kEffect);
        deleteEffect(views, "Echo");
        views.press("Delete");

        // A permanent delete that fails says why, and the patch stays listed.
        deleteEffect(views, "Busy");
        views.press("Delete");
        EXPECT_EQ(views.sheets.back().messageText, "“Busy” could not be deleted");
        EXPECT_TRUE(views.sheets.back().informativeText.starts_with("Device or resource busy."));
        EXPECT_EQ(views.names(), std::vector<std::string>{"Busy"});
        EXPECT_EQ(views.sheets.size(), 4u);
        EXPECT_FALSE(views.undoEnabled);
        EXPECT_FALSE(pathExists(elsewhere.path("no trash")));
        return 0;
    });
}

}  // namespace
