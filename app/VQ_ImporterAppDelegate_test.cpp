#include "app/VQ_ImporterAppDelegate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <functional>

#include "testing/FakeViews.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"
#include "testing/OutputCapture.h"

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

void switchToInstruments(VQ_ImporterAppDelegate& controller, FakeWindowViews& views) {
    views.typeSelector.segment = 1;
    controller.typeChanged();
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
    std::vector<std::string> names = shownNames(controller, views);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Drone", "Echo"}));
    EXPECT_EQ(views.typeSelector.segment, 0);

    controller.applicationDidFinishLaunching();
    EXPECT_EQ(views.parameterTable.dataSource, &controller);
    EXPECT_EQ(views.parameterTable.reloadCount, 1);
    EXPECT_EQ(controller.numberOfRowsInTableView(&views.parameterTable), 0);
    EXPECT_EQ(views.patches.draggedTypes, std::vector<std::string>{views::kFilenamesPboardType});
}

// The selection rules: after a reload of the shown type the selected patch
// stays selected by its path; a switch of type (by the selector or by an
// install of the other type) selects the same row of the new list. The
// parameters table always shows the selected patch, or nothing.
TEST_F(ControllerTest, SelectionFollowsThePatchAndTheParametersFollowTheSelection) {
    // Expected after a type switch: the patch at the row selected before.
    const std::string kSameRow = "<same row>";
    struct Case {
        const char* what;
        std::string selected;
        std::function<void(VQ_ImporterAppDelegate&, FakeWindowViews&)> act;
        std::string expected;
    };
    testing_support::ScratchDir source;
    const std::string lead = source.writeFile(
        "Lead.pd", testing_support::kInstrument + "#X text 12 40 param Lead_level float 0 1 0;\n");
    const auto removeEffects = [](std::initializer_list<const char*> names) {
        for (const char* name : names) fs::remove_all(std::string(EFFECTS_DIR) + "/" + name);
    };
    const std::vector<Case> cases = {
        {"a change on disk keeps Drone", "Drone",
         [&](auto& controller, auto&) {
             removeEffects({"Echo", "Grain"});
             controller.libraryChanged();
         },
         "Drone"},
        {"a change on disk keeps Grain", "Grain",
         [&](auto& controller, auto&) {
             removeEffects({"Drone", "Echo"});
             controller.libraryChanged();
         },
         "Grain"},
        {"a delete selects nothing", "Echo",
         [](auto& controller, auto&) { controller.deletePressed(); }, ""},
        {"the selector keeps Drone's row", "Drone", switchToInstruments, kSameRow},
        {"the selector keeps Echo's row", "Echo", switchToInstruments, kSameRow},
        {"the selector keeps Grain's row", "Grain", switchToInstruments, kSameRow},
        {"the selector without a selection", "", switchToInstruments, ""},
        {"an install of the other type keeps the row", "Echo",
         [&](auto& controller, auto&) { controller.applicationOpenFiles({lead}); }, kSameRow},
        {"the window dropped the selection", "Echo",
         [](auto& controller, auto& views) {
             views.patches.selected = -1;
             controller.tableViewSelectionDidChange(&views.patches);
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchLibrary fresh;
        for (const char* name : {"Drone", "Echo", "Grain"}) installPatch(EFFECTS_DIR, name);
        installPatch(INSTRUMENTS_DIR, "Bass");
        VQ_ImporterAppDelegate controller;
        FakeWindowViews views(controller);
        const int rowBefore = c.selected.empty() ? -1 : rowOf(controller, views, c.selected);
        views.patches.selected = rowBefore;
        if (rowBefore >= 0) controller.tableViewShouldSelectRow(&views.patches, rowBefore);

        c.act(controller, views);
        std::string expected = c.expected;
        const std::vector<std::string> names = shownNames(controller, views);
        if (expected == kSameRow)
            expected = rowBefore < static_cast<int>(names.size()) ? names[rowBefore] : "";
        const int selected = views.patches.selected;
        EXPECT_EQ(selected < 0 ? "" : names.at(static_cast<std::size_t>(selected)), expected);
        EXPECT_EQ(loadedParameter(controller, views), expected.empty() ? "" : expected + "_level");
    }
}

TEST_F(ControllerTest, DeleteWithoutAValidSelectionChangesNothing) {
    installPatch(EFFECTS_DIR, "Echo");
    VQ_ImporterAppDelegate controller;
    FakeWindowViews views(controller);
    for (int row : {-1, 1, 1000, -5}) {
        views.patches.selected = row;
        controller.deletePressed();
    }
    EXPECT_TRUE(fs::exists(std::string(EFFECTS_DIR) + "/Echo/Echo.pd"));
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

    // Rows of cells: name, default, min, max, and a column of no known identifier.
    const std::vector<std::vector<std::string>> expected = {
        {"cutoff", "440.00", "20.00", "800.00", "none"},
        {"gain", "0.50", "0.00", "1.00", "none"},
        {"offset", "-0.00", "-1.00", "100.00", "none"},
        {"Grüße", "0.00", "0.00", "1.00", "none"},
        {"", "0.00", "0.00", "1.00", "none"},  // a name that is not UTF-8 gives no text
        {"", "", "", "", ""},                  // past the last row
    };
    for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
        std::vector<std::string> cells;
        for (const char* column : {"name", "default", "min", "max", "Name"})
            cells.push_back(
                controller.tableViewObjectValueForTableColumnRow(&views.parameterTable, column, row));
        EXPECT_EQ(cells, expected[static_cast<std::size_t>(row)]) << "row " << row;
    }
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

TEST_F(ControllerTest, ViewsThatAreNotAttachedAreLeftAlone) {
    installPatch(EFFECTS_DIR, "Echo");
    VQ_ImporterAppDelegate controller;
    controller.applicationDidFinishLaunching();
    controller.reloadPatches(INSTRUMENTS_DIR);
    controller.helpPressed();
    controller.alertBadDrop();
    controller.libraryChanged();
    controller.tableViewSelectionDidChange(nullptr);
    // A missing selector reads as segment 0 and a missing table's selected
    // row as 0: the effects come back and their first patch is loaded.
    controller.typeChanged();
    FakeWindowViews views(controller);
    EXPECT_EQ(shownNames(controller, views), std::vector<std::string>{"Echo"});
    EXPECT_EQ(loadedParameter(controller, views), "Echo_level");
}

}  // namespace
