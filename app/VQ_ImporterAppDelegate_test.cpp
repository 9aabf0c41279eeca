#include "app/VQ_ImporterAppDelegate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <functional>

#include "testing/FakeViews.h"
#include "testing/OutputCapture.h"

namespace fs = std::filesystem;
using namespace testing_support;

TEST(ControllerStartUp, CreatesTheLibraryFoldersBeforeListingTheEffects) {
    const ScratchLibrary library(false);
    const std::string started = captureStdout([] { VQ_ImporterAppDelegate controller; });
    const ScratchLibrary again(false);
    // Listing a folder not made yet would add the lister's error line.
    EXPECT_EQ(started, captureStdout(initDirs));
}

// A reload keeps the selected patch, a switch of type (selector or install) the row; parameters
// show the selected patch or nothing; rows that are no patch select and delete nothing.
TEST(ControllerTest, SelectionFollowsThePatchAndTheParametersFollowTheSelection) {
    using Act = std::function<void(FakeWindowViews&)>;
    const std::string kSamePatch = "<same patch>", kSameRow = "<same row>";
    struct Case {
        const char* what;
        std::vector<std::string> selected;  // each a case of its own
        Act act;
        std::string expected;  // the patch selected after, "" for none
        std::size_t effectsLeft = 3;
    };
    ScratchDir source;
    const std::string lead =
        source.writeFile("Lead.pd", kInstrument + "#X text 12 40 param Lead_level float 0 1 0;\n");
    const auto clickOn = [](bool parameters, int row) -> Act {
        return [=](auto& views) {
            FakeTableView& table = parameters ? views.parameterTable : views.patches;
            views.controller.tableViewShouldSelectRow(&table, row);
        };
    };
    const auto selectionChanged = [](bool dropped) -> Act {
        return [=](auto& views) {
            if (dropped) views.patches.selected = -1;
            views.controller.tableViewSelectionDidChange(&views.patches);
        };
    };
    const Act removeOthers = [](auto& views) {
        for (const std::string& name : views.names())
            if (name != views.names()[views.patches.selected])
                fs::remove_all(kEffects + "/" + name);
        views.controller.libraryChanged();
    };
    const Act pressDelete = [](auto& views) { views.controller.deletePressed(); };
    const Act installLead = [&](auto& views) { views.controller.applicationOpenFiles({lead}); };
    const Act switchType = [](auto& views) {
        views.segment = 1;
        views.controller.typeChanged();
    };
    const std::vector<Case> cases = {
        {"a click on a parameter row loads nothing", {"Echo"}, clickOn(true, 0), kSamePatch},
        {"a click past the list loads nothing", {"Echo"}, clickOn(false, 3), kSamePatch},
        {"a change on disk keeps the patch", {"Drone", "Grain"}, removeOthers, kSamePatch, 1},
        {"a delete selects nothing", {"Echo"}, pressDelete, "", 2},
        {"a delete without a selection", {""}, pressDelete, ""},
        {"the selector keeps the row", {"Drone", "Echo", "Grain", ""}, switchType, kSameRow},
        {"an install of the other type selects nothing", {"Echo"}, installLead, ""},
        {"the window dropped the selection", {"Echo"}, selectionChanged(true), ""},
        {"the window kept it", {"Drone", "Echo", "Grain"}, selectionChanged(false), kSamePatch},
    };
    for (const Case& c : cases)
        for (const std::string& selected : c.selected) {
            SCOPED_TRACE(std::string(c.what) + ", " + selected);
            ScratchLibrary library;
            for (const char* name : {"Drone", "Echo", "Grain"}) addPatch(name);
            addPatch("Bass", "", kInstruments);
            FakeWindowViews views;
            views.select(selected);
            const int rowBefore = views.patches.selected;
            captureStdout([&] { c.act(views); });
            const std::vector<std::string> names = views.names();
            std::string expected = c.expected == kSamePatch ? selected : c.expected;
            if (expected == kSameRow)
                expected = rowBefore >= 0 && rowBefore < static_cast<int>(names.size())
                               ? names[static_cast<std::size_t>(rowBefore)]
                               : "";
            const int row = views.patches.selected;
            EXPECT_EQ(row < 0 ? "" : names.at(static_cast<std::size_t>(row)), expected);
            EXPECT_EQ(views.parameterCell(0), expected.empty() ? "" : expected + "_level");
            EXPECT_EQ(entriesOf(kEffects).size(), c.effectsLeft);
        }
}

// Parameters read off the main thread show only while nothing was selected or cleared after them.
TEST(ControllerTest, OnlyTheLatestSelectionsParametersShowWhateverOrderTheReadsEndIn) {
    const std::string drone = "Drone_level", echo = "Echo_level";
    struct Case {
        std::vector<std::string> selected;  // "" drops the selection
        std::vector<std::size_t> releaseOrder;
        std::vector<std::string> shownAfterEach;
    };
    const std::vector<Case> cases = {
        {{"Drone", "Echo"}, {0, 1}, {"", echo}},
        {{"Drone", "Echo"}, {1, 0}, {echo, echo}},
        {{"Drone", ""}, {0}, {""}},
        {{"Drone", "Echo", "Drone"}, {0, 1, 2}, {"", "", drone}},
    };
    for (const Case& c : cases) {
        const ScratchLibrary library;
        for (const char* name : {"Drone", "Echo"}) addPatch(name);
        FakeWindowViews views;
        views.reader.holding = true;
        for (const std::string& name : c.selected) {
            views.select(name);
            views.controller.tableViewSelectionDidChange(&views.patches);
        }
        std::vector<std::string> shown;
        for (std::size_t read : c.releaseOrder) {
            views.reader.release(read);
            shown.push_back(views.parameterCell(0));
        }
        EXPECT_EQ(shown, c.shownAfterEach) << c.selected.size() << " selections";
    }
}

// A list made off the main thread shows only while its type is the one asked for last, and never
// over a list asked for after it. Each list holds the folder as it was when asked for.
TEST(ControllerTest, AListShowsOnlyForTheTypeAskedForAndNeverOverALaterOne) {
    struct HoldingLister : workers::PatchLister {
        void list(const char* type, std::uint64_t sequence,
                  std::function<void(PatchList)> show) override {
            const std::vector<std::string> paths = *loadPatches(type);
            held.push_back([=] { show({type, sequence, paths, paths, paths}); });
        }
        std::vector<std::function<void()>> held;
    };
    const char *const e = EFFECTS_DIR, *const i = INSTRUMENTS_DIR;
    struct Case {
        std::vector<const char*> asked;  // an effect is added after the first
        std::vector<std::size_t> releaseOrder, rowsAfterEach;
    };
    const std::vector<Case> cases = {{{e, e}, {0, 1}, {2, 3}},
                                     {{e, e}, {1, 0}, {3, 3}},
                                     {{e, i}, {0, 1}, {0, 1}},
                                     {{i, e}, {1, 0}, {3, 3}}};
    for (const Case& c : cases) {
        const ScratchLibrary library;
        FakeWindowViews views;  // shows the empty effects
        for (const char* name : {"Drone", "Echo"}) addPatch(name);
        addPatch("Bass", "", kInstruments);
        HoldingLister lister;
        views.controller.setPatchLister(&lister);
        for (const char* type : c.asked) {
            views.controller.reloadPatches(type);
            addPatch("Grain");
        }
        std::vector<std::size_t> rows;
        for (std::size_t list : c.releaseOrder) {
            lister.held.at(list)();
            rows.push_back(views.names().size());
        }
        EXPECT_EQ(rows, c.rowsAfterEach) << c.asked.front() << " first";
        EXPECT_EQ(views.segment, c.asked.back() == i ? 1 : 0);
    }
}

// Pd writes decimal points: numbers read and show alike where the toolkit set a German locale.
TEST(ControllerTest, ParameterCellsShowNamesAndNumbersAlikeInACommaDecimalLocale) {
    const ScratchLibrary library;
    const std::string folder = addPatch("Filter",
                                        "#X text 12 40 param cutoff slider 20 800 440 Hz;\n"
                                        "#X text 12 60 param gain float -2.25 1e3 0.5;\n"
                                        "#X text 12 80 param offset int -1 100 -0.004;\n"
                                        "#X text 12 99 param bad\xff\xfename float 0 1 0;\n");
    const bool german = setlocale(LC_ALL, "de_DE.UTF-8");
    FakeWindowViews views;
    views.controller.setPatch(folder);
    // Rows of cells: name, default, min, max, type, unit, a column of no known identifier, and
    // the default's tooltip, with every digit read.
    const std::vector<std::vector<std::string>> expected = {
        {"cutoff", "440.00", "20.00", "800.00", "slider", "Hz", "none", "440"},
        {"gain", "0.50", "-2.25", "1000.00", "float", "", "none", "0.5"},
        {"offset", "-0.00", "-1.00", "100.00", "int", "", "none", "-0.004"},
        // A name that is not UTF-8 gives no text.
        {"", "0.00", "0.00", "1.00", "float", "", "none", "0"},
        {"", "", "", "", "", "", "", ""},  // past the last row
    };
    std::vector<std::vector<std::string>> shown(expected.size());
    for (std::size_t row = 0; row < shown.size(); ++row) {
        for (const char* column : {"name", "default", "min", "max", "type", "unit", "Name"})
            shown[row].push_back(views.parameterCell(static_cast<int>(row), column));
        shown[row].push_back(views.controller.tableViewToolTipForTableColumnRow(
            &views.parameterTable, "default", static_cast<int>(row)));
    }
    setlocale(LC_ALL, "C");
    EXPECT_EQ(views.controller.numberOfRowsInTableView(&views.parameterTable), 4);
    EXPECT_EQ(shown, expected);
    if (!german) GTEST_SKIP() << "no de_DE.UTF-8 locale (./dev test makes it)";
}

// Marks, the selected patch's findings and install notices come from the checker, which checks
// a patch again only when its files changed: new content at the same size and time goes unseen.
TEST(ControllerTest, MarksFindingsAndInstallNoticesFollowTheCheckOfWhatChanged) {
    const std::string said =
        " is not part of Pd vanilla and not in the patch's folder; the host may fail to create it.";
    const std::string echo = kEffects + "/Echo/Echo.pd";
    ScratchDir source;
    const std::string verb = source.writeFile("Verb.pd", kEffect + "#X obj 1 1 freeverb~;\n");
    using Act = std::function<void(FakeWindowViews&)>;
    const auto rewrite = [&](const char* object, bool keepTime) -> Act {
        return [=](auto&) {
            const auto time = fs::last_write_time(echo);
            writeFile(echo, kEffect + "#X obj 10 70 " + object + ";\n");
            if (keepTime) fs::last_write_time(echo, time);
        };
    };
    struct Case {
        const char* what;
        Act act;
        std::string summary;  // of Echo's row; its mark is a warning's
        std::vector<std::string> findings;
        std::string notice = "";
    };
    const std::vector<Case> cases = {
        {"as first checked", [](auto&) {}, "1 warning: freeverb~" + said,
         {"Echo.pd:4 freeverb~" + said}},
        {"edited", rewrite("greeverb~", false), "1 warning: greeverb~" + said,
         {"Echo.pd:4 greeverb~" + said}},
        {"same size and time", rewrite("greeverb~", true), "1 warning: freeverb~" + said,
         {"Echo.pd:4 freeverb~" + said}},
        {"the abstraction added", [](auto&) { writeFile(kEffects + "/Echo/freeverb~.pd", kEffect); },
         "", {}},
        {"an install shown", [&](auto& views) {
             views.controller.applicationOpenFiles({verb});
             views.noticeAction();
         }, "1 warning: freeverb~" + said, {"Verb.pd:4 freeverb~" + said},
         "Installed “Verb”: 1 warning"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ScratchLibrary library;
        addPatch("Echo", kEffect + "#X obj 10 70 freeverb~;\n");
        addPatch("Drone");
        FakeWindowViews views;
        FakePatchChecker checker;
        views.controller.setPatchChecker(&checker);
        views.controller.libraryChanged();
        views.select("Echo");
        c.act(views);
        views.controller.libraryChanged();
        const std::vector<std::string> names = views.names();
        const int echoRow = static_cast<int>(std::find(names.begin(), names.end(), "Echo") -
                                             names.begin());
        const std::string summary =
            views.controller.tableViewMarkDescriptionForRow(&views.patches, echoRow);
        EXPECT_EQ(summary, c.summary);
        EXPECT_EQ(views.controller.tableViewMarkForRow(&views.patches, echoRow),
                  summary.empty() ? views::RowMark::none : views::RowMark::warning);
        EXPECT_EQ(views.controller.tableViewToolTipForTableColumnRow(&views.patches, "", echoRow),
                  summary.empty() ? "Echo" : "Echo\n" + summary);
        EXPECT_EQ(views.findings, c.findings);
        EXPECT_EQ(views.notice, c.notice);
    }
}
