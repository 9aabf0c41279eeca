#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "testing/FakeViews.h"

using namespace testing_support;

namespace {

// An export says what it wrote, with a way to see the archive, or why it wrote nothing; a
// drag out of the list carries the patch folders of the rows dragged, nothing of other tables.
TEST(ExportTest, SaysWhatItExportedOrWhyNotAndDragsCarryPatchFolders) {
    const ScratchDir target;
    struct Case {
        std::vector<std::string> selected;
        std::string archive, notice, actionTitle;
    };
    const std::vector<Case> cases = {
        {{"Echo"}, "Echo.zip", "Exported “Echo” to “Echo.zip”", "Show in Files"},
        {{"Echo", "Tape"}, "Pack.zip", "Exported 2 patches to “Pack.zip”", "Show in Files"},
        {{"Tape"},
         "No/T.zip",
         "Can't export to “T.zip”: cannot write \"" + target.path("No/T.zip") +
             "\": No such file or directory",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        const ScratchLibrary library;
        const std::map<std::string, std::string> paths = {{"Echo", addPatch("Echo")},
                                                          {"Tape", addPatch("Tape")}};
        FakeWindowViews views;
        // Without a lister the rows come in the folder's listing order,
        // which differs between file systems.
        const std::vector<std::string> names = views.names();
        std::vector<int> rows;
        for (const std::string& name : c.selected)
            rows.push_back(
                static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin()));
        views.patches.selectRowIndexes(rows, false);
        views.controller.exportSelectedPatches(target.path(c.archive));
        EXPECT_EQ(views.notice, c.notice);
        EXPECT_EQ(views.noticeTitle, c.actionTitle);
        if (views.noticeAction) views.noticeAction();
        EXPECT_EQ(views.workspace.shownInFiles,
                  c.actionTitle.empty() ? std::vector<std::string>{}
                                        : std::vector<std::string>{target.path(c.archive)});
        EXPECT_EQ(views.controller.tableViewFileNamesForDraggedRows(&views.patches, {1, 0, 2}),
                  (std::vector<std::string>{paths.at(names[1]), paths.at(names[0])}));
        EXPECT_TRUE(
            views.controller.tableViewFileNamesForDraggedRows(&views.parameterTable, {0}).empty());
    }
}

}  // namespace
