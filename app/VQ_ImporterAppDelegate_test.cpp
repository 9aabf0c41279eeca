#include "app/VQ_ImporterAppDelegate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <set>

#include "testing/FakeViews.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"
#include "testing/OutputCapture.h"
#include "testing/ChildProcess.h"

#include <sys/mount.h>

namespace fs = std::filesystem;
using testing_support::FakeWindowViews;
using testing_support::captureStdout;
using testing_support::ScratchLibrary;

namespace {

// Installs a patch folder <typeDir>/<name>/<name>.pd declaring one parameter
// named after the patch, so a test can tell which patch was loaded.
std::string installPatch(const char* typeDir, const std::string& name) {
    const std::string folder = std::string(typeDir) + "/" + name;
    fs::create_directories(folder);
    testing_support::writeFile(
        folder + "/" + name + ".pd",
        "#N canvas 0 0 450 300 10;\n#X text 12 40 param " + name + "_level float 0 1 0.5;\n");
    return folder;
}

class ControllerTest : public ::testing::Test {
protected:
    // Names the patches table shows, in row order.
    std::vector<std::string> shownNames(const VQ_ImporterAppDelegate& controller,
                                        const FakeWindowViews& views) {
        std::vector<std::string> names;
        for (int row = 0; row < controller.numberOfRowsInTableView(&views.patches); ++row)
            names.push_back(
                controller.tableViewObjectValueForTableColumnRow(&views.patches, "name", row));
        return names;
    }
    std::set<std::string> shownNameSet(const VQ_ImporterAppDelegate& controller,
                                       const FakeWindowViews& views) {
        std::vector<std::string> names = shownNames(controller, views);
        return {names.begin(), names.end()};
    }
    // The name of the one parameter of the loaded patch, or "" when none is.
    std::string loadedParameter(const VQ_ImporterAppDelegate& controller,
                                const FakeWindowViews& views) {
        if (controller.numberOfRowsInTableView(&views.parameterTable) == 0) return "";
        return controller.tableViewObjectValueForTableColumnRow(&views.parameterTable, "name", 0);
    }
    // The row at which the patches table shows a name.
    int rowOf(const VQ_ImporterAppDelegate& controller, const FakeWindowViews& views,
              const std::string& name) {
        std::vector<std::string> names = shownNames(controller, views);
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    ScratchLibrary library;
};

TEST(ControllerStartUp, CreatesTheLibraryFoldersBeforeListingTheEffects) {
    ScratchLibrary library(false);
    std::string out;
    std::unique_ptr<VQ_ImporterAppDelegate> controller;
    out = captureStdout([&] { controller = std::make_unique<VQ_ImporterAppDelegate>(); });
    // Listing before creating would add the lister's "error opening directory".
    EXPECT_EQ(out, "initDirs()\nFile not found\nFile not found\nFile not found\n");
    EXPECT_TRUE(fs::is_directory(EFFECTS_DIR));
    EXPECT_TRUE(fs::is_directory(INSTRUMENTS_DIR));
}

TEST_F(ControllerTest, StartsWithTheEffectsAndAnEmptyParametersTable) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(EFFECTS_DIR, "Drone");
    installPatch(INSTRUMENTS_DIR, "Bass");
    VQ_ImporterAppDelegate controller;
    // The views come after construction, the way the window attaches them.
    FakeWindowViews views(controller);
    EXPECT_EQ(shownNameSet(controller, views), (std::set<std::string>{"Echo", "Drone"}));
    EXPECT_EQ(views.typeSelector.segment, 0);

    controller.applicationDidFinishLaunching();
    EXPECT_EQ(views.parameterTable.dataSource, &controller);
    EXPECT_EQ(views.parameterTable.reloadCount, 1);
    EXPECT_EQ(controller.numberOfRowsInTableView(&views.parameterTable), 0);
    EXPECT_EQ(views.patches.draggedTypes, std::vector<std::string>{views::kFilenamesPboardType});
}

TEST_F(ControllerTest, ReloadFollowsTheTypeWithTheSelectorButLoadsNoParameters) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(INSTRUMENTS_DIR, "Bass");
    installPatch(INSTRUMENTS_DIR, "Lead");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    views.patches.selected = 0;

    controller.reloadPatches(INSTRUMENTS_DIR);
    EXPECT_EQ(views.typeSelector.segment, 1);
    EXPECT_EQ(shownNameSet(controller, views), (std::set<std::string>{"Bass", "Lead"}));
    EXPECT_EQ(views.patches.reloadCount, 1);
    // A type change would have loaded row 0 of the new list.
    EXPECT_EQ(views.parameterTable.reloadCount, 0);
    EXPECT_EQ(loadedParameter(controller, views), "");

    controller.reloadPatches(EFFECTS_DIR);
    EXPECT_EQ(views.typeSelector.segment, 0);
    EXPECT_EQ(shownNames(controller, views), std::vector<std::string>{"Echo"});
}

TEST_F(ControllerTest, TypeChangeCarriesTheSelectedRowOverToTheNewList) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(EFFECTS_DIR, "Drone");
    installPatch(INSTRUMENTS_DIR, "Bass");
    installPatch(INSTRUMENTS_DIR, "Lead");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);

    views.typeSelector.segment = 1;
    views.patches.selected = 1;
    controller.typeChanged();
    EXPECT_EQ(shownNameSet(controller, views), (std::set<std::string>{"Bass", "Lead"}));
    const std::string secondInstrument =
        controller.tableViewObjectValueForTableColumnRow(&views.patches, "name", 1);
    EXPECT_EQ(loadedParameter(controller, views), secondInstrument + "_level");

    // Any segment other than 0 stands for the instruments.
    views.typeSelector.segment = 7;
    views.patches.selected = 0;
    controller.typeChanged();
    EXPECT_EQ(views.typeSelector.segment, 1);
    EXPECT_EQ(shownNameSet(controller, views), (std::set<std::string>{"Bass", "Lead"}));

    views.typeSelector.segment = 0;
    views.patches.selected = 0;
    controller.typeChanged();
    EXPECT_EQ(shownNameSet(controller, views), (std::set<std::string>{"Echo", "Drone"}));
    const std::string firstEffect =
        controller.tableViewObjectValueForTableColumnRow(&views.patches, "name", 0);
    EXPECT_EQ(loadedParameter(controller, views), firstEffect + "_level");
}

TEST_F(ControllerTest, TypeChangeLoadsNothingWithoutAValidRow) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(EFFECTS_DIR, "Drone");
    installPatch(EFFECTS_DIR, "Grain");
    installPatch(INSTRUMENTS_DIR, "Bass");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    views.patches.selected = 0;
    controller.tableViewShouldSelectRow(&views.patches, 0);
    const std::string loaded = loadedParameter(controller, views);
    const int parameterReloads = views.parameterTable.reloadCount;

    // Row 2 does not exist among the instruments.
    views.patches.selected = 2;
    views.typeSelector.segment = 1;
    controller.typeChanged();
    EXPECT_EQ(loadedParameter(controller, views), loaded);

    views.patches.selected = -1;
    views.typeSelector.segment = 0;
    controller.typeChanged();
    EXPECT_EQ(loadedParameter(controller, views), loaded);

    // An empty list loads nothing, whatever row is selected.
    fs::remove_all(std::string(INSTRUMENTS_DIR) + "/Bass");
    views.patches.selected = 0;
    views.typeSelector.segment = 1;
    controller.typeChanged();
    EXPECT_EQ(controller.numberOfRowsInTableView(&views.patches), 0);
    EXPECT_EQ(views.parameterTable.reloadCount, parameterReloads);
    EXPECT_EQ(loadedParameter(controller, views), loaded);
}

TEST_F(ControllerTest, DeleteRemovesTheSelectedPatchAndKeepsItsParameters) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(EFFECTS_DIR, "Drone");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    const int echoRow = rowOf(controller, views, "Echo");
    views.patches.selected = echoRow;
    controller.tableViewShouldSelectRow(&views.patches, echoRow);

    controller.deletePressed();
    EXPECT_FALSE(fs::exists(std::string(EFFECTS_DIR) + "/Echo"));
    EXPECT_TRUE(fs::exists(std::string(EFFECTS_DIR) + "/Drone/Drone.pd"));
    EXPECT_EQ(shownNames(controller, views), std::vector<std::string>{"Drone"});
    EXPECT_EQ(views.typeSelector.segment, 0);
    EXPECT_EQ(loadedParameter(controller, views), "Echo_level");
}

// A delete that cannot finish (here a folder mounted inside the patch) says
// so, naming the patch and the system's reason, and the list keeps the patch.
TEST_F(ControllerTest, AFailedDeleteAlertsWithTheReasonAndKeepsThePatchListed) {
    ScratchLibrary library;
    testing_support::ScratchDir elsewhere;
    const std::string mounted = installPatch(EFFECTS_DIR, "Echo") + "/samples";
    fs::create_directories(mounted);
    const int outcome = testing_support::runInPrivateMounts([&] {
        if (mount(elsewhere.root().c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return testing_support::kChildSetupFailed;
        VQ_ImporterAppDelegate controller;
        FakeWindowViews views(controller);
        views.patches.selected = 0;
        controller.deletePressed();
        const bool alerted = views.window.sheets.size() == 1 &&
                             views.window.sheets[0].messageText == "“Echo” could not be deleted" &&
                             views.window.sheets[0].informativeText.starts_with(
                                 "Device or resource busy.");
        return alerted && shownNames(controller, views) == std::vector<std::string>{"Echo"} ? 0 : 1;
    });
    if (outcome == testing_support::kChildSetupFailed) GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(outcome, 0);
}

TEST_F(ControllerTest, DeleteReloadsTheTypeOfTheSelector) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(INSTRUMENTS_DIR, "Bass");
    installPatch(INSTRUMENTS_DIR, "Lead");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    controller.reloadPatches(INSTRUMENTS_DIR);
    views.patches.selected = rowOf(controller, views, "Lead");

    controller.deletePressed();
    EXPECT_FALSE(fs::exists(std::string(INSTRUMENTS_DIR) + "/Lead"));
    EXPECT_EQ(views.typeSelector.segment, 1);
    EXPECT_EQ(shownNames(controller, views), std::vector<std::string>{"Bass"});
}

TEST_F(ControllerTest, DeleteWithoutAValidSelectionChangesNothing) {
    installPatch(EFFECTS_DIR, "Echo");
    installPatch(EFFECTS_DIR, "Drone");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);

    for (int row : {-1, 2, 1000, -5}) {
        views.patches.selected = row;
        controller.deletePressed();
    }
    EXPECT_TRUE(fs::exists(std::string(EFFECTS_DIR) + "/Echo/Echo.pd"));
    EXPECT_TRUE(fs::exists(std::string(EFFECTS_DIR) + "/Drone/Drone.pd"));
    EXPECT_EQ(views.patches.reloadCount, 0);
}

TEST_F(ControllerTest, ParameterCellsShowNameAndFormattedValues) {
    const std::string folder = std::string(EFFECTS_DIR) + "/Filter";
    fs::create_directories(folder);
    testing_support::writeFile(folder + "/Filter.pd",
                               "#X text 12 40 param cutoff slider 20 800 440 Hz;\n"
                               "#X text 12 60 param gain float 0 1 0.5;\n"
                               "#X text 12 80 param offset int -1 100 -0.004;\n"
                               "#X text 12 90 param Grüße float 0 1 0;\n"
                               "#X text 12 99 param bad\xff\xfename float 0 1 0;\n");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    controller.setPatch(folder);
    EXPECT_EQ(views.parameterTable.reloadCount, 1);
    ASSERT_EQ(controller.numberOfRowsInTableView(&views.parameterTable), 5);

    const auto cell = [&](const std::string& column, int row) {
        return controller.tableViewObjectValueForTableColumnRow(&views.parameterTable, column, row);
    };
    EXPECT_EQ(cell("name", 0), "cutoff");
    EXPECT_EQ(cell("default", 0), "440.00");
    EXPECT_EQ(cell("min", 0), "20.00");
    EXPECT_EQ(cell("max", 0), "800.00");
    EXPECT_EQ(cell("default", 1), "0.50");
    EXPECT_EQ(cell("min", 1), "0.00");
    EXPECT_EQ(cell("max", 1), "1.00");
    EXPECT_EQ(cell("min", 2), "-1.00");
    EXPECT_EQ(cell("max", 2), "100.00");
    EXPECT_EQ(cell("default", 2), "-0.00");
    EXPECT_EQ(cell("name", 3), "Grüße");
    // A name that is not UTF-8 gives no text.
    EXPECT_EQ(cell("name", 4), "");
    EXPECT_EQ(cell("Name", 0), "none");
    EXPECT_EQ(cell("type", 1), "none");
    EXPECT_EQ(cell("", 1), "none");
    EXPECT_EQ(cell("name", 5), "");
    EXPECT_EQ(cell("name", -1), "");
}

// Pd writes numbers with a decimal point. A window in a German session,
// whose toolkit sets the process locale, reads and shows them the same.
TEST_F(ControllerTest, NumbersReadAndShowAlikeInACommaDecimalLocale) {
    const std::string folder = installPatch(EFFECTS_DIR, "Gain");
    testing_support::writeFile(folder + "/Gain.pd", "#X text 1 1 param gain float -2.25 1e3 0.5;\n");
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale (./dev test makes it)";
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    controller.setPatch(folder);
    const auto cell = [&](const std::string& column) {
        return controller.tableViewObjectValueForTableColumnRow(&views.parameterTable, column, 0);
    };
    const std::vector<std::string> shown = {cell("min"), cell("max"), cell("default")};
    setlocale(LC_ALL, "C");
    EXPECT_EQ(shown, (std::vector<std::string>{"-2.25", "1000.00", "0.50"}));
}

TEST_F(ControllerTest, EveryPatchesColumnShowsTheNameAndOtherRowsAreEmpty) {
    installPatch(EFFECTS_DIR, "Echo");
    // Folder names are byte strings: one that is not UTF-8 still has its row.
    fs::create_directories(std::string(EFFECTS_DIR) + "/caf\xe9");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    ASSERT_EQ(controller.numberOfRowsInTableView(&views.patches), 2);
    const int echoRow = rowOf(controller, views, "Echo");
    for (const char* column : {"name", "default", "patch", ""})
        EXPECT_EQ(controller.tableViewObjectValueForTableColumnRow(&views.patches, column, echoRow),
                  "Echo");
    EXPECT_EQ(shownNameSet(controller, views), (std::set<std::string>{"Echo", "caf\xe9"}));
    EXPECT_EQ(controller.tableViewObjectValueForTableColumnRow(&views.patches, "name", 2), "");
    EXPECT_EQ(controller.tableViewObjectValueForTableColumnRow(&views.patches, "name", -1), "");
}

TEST_F(ControllerTest, SelectingAPatchLoadsItsParametersFirst) {
    installPatch(EFFECTS_DIR, "Echo");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);

    EXPECT_TRUE(controller.tableViewShouldSelectRow(&views.patches, 0));
    EXPECT_EQ(loadedParameter(controller, views), "Echo_level");
    EXPECT_EQ(views.parameterTable.reloadCount, 1);

    // Parameter rows and rows outside the list are allowed and load nothing.
    EXPECT_TRUE(controller.tableViewShouldSelectRow(&views.parameterTable, 0));
    EXPECT_TRUE(controller.tableViewShouldSelectRow(&views.patches, 1));
    EXPECT_TRUE(controller.tableViewShouldSelectRow(&views.patches, -1));
    EXPECT_EQ(views.parameterTable.reloadCount, 1);
    EXPECT_EQ(loadedParameter(controller, views), "Echo_level");
}

TEST_F(ControllerTest, HelpShowsThePanel) {
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    controller.helpPressed();
    EXPECT_EQ(views.helpWindow.shownCount, 1);
}

TEST_F(ControllerTest, ViewsThatAreNotAttachedAreLeftAlone) {
    installPatch(EFFECTS_DIR, "Echo");
    VQ_ImporterAppDelegate controller;
    controller.applicationDidFinishLaunching();
    controller.reloadPatches(INSTRUMENTS_DIR);
    controller.helpPressed();
    controller.alertBadDrop();
    // A missing selector reads as segment 0 and a missing table's selected
    // row as 0: the effects come back and their first patch is loaded.
    controller.typeChanged();
    FakeWindowViews views(controller);
    EXPECT_EQ(shownNames(controller, views), std::vector<std::string>{"Echo"});
    EXPECT_EQ(loadedParameter(controller, views), "Echo_level");
}

}  // namespace
