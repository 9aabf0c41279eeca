#pragma once

// Plain stand-ins for the window's views that record what the controller asks.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/views.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace testing_support {

// A patch folder whose main file holds `content`, by default an effect with one parameter
// "<name>_level" in which the patch check finds nothing.
inline std::string addPatch(const std::string& name, const std::string& content = "",
                            const std::string& typeDir = kEffects) {
    std::filesystem::create_directories(typeDir + "/" + name);
    writeFile(typeDir + "/" + name + "/" + name + ".pd",
              content.empty() ? kEffect + "#X text 1 2 param " + name + "_level float 0 1 0.5;\n"
                              : content);
    return typeDir + "/" + name;
}

// `selected` is the row picked last; `alsoSelected` the others selected with it.
struct FakeTableView : views::TableView {
    void reloadData() override { setSelectedRow(-1); }
    void reloadCells() override {}
    int selectedRow() const override { return selected; }
    void setSelectedRow(int row) override {
        selected = row;
        alsoSelected.clear();
    }
    std::vector<int> selectedRowIndexes() const override {
        std::vector<int> rows = alsoSelected;
        if (selected >= 0) rows.push_back(selected);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        return rows;
    }
    void selectRowIndexes(const std::vector<int>& rows, bool extend) override {
        if (!extend) setSelectedRow(-1);
        alsoSelected.insert(alsoSelected.end(), rows.begin(), rows.end());
    }
    void revealRows(const std::vector<int>& rows) override { revealed = rows; }
    // Shows every row, in the data source's order.
    int shownPlaceOfRow(int row) const override { return row; }
    int rowAtShownPlace(int place) const override { return place; }
    void setDataSource(VQ_ImporterAppDelegate*) override {}
    void registerForDraggedTypes(const std::vector<std::string>&) override {}
    int selected = -1;
    std::vector<int> alsoSelected, revealed;
};

struct FakeMenuItem : views::MenuItem {
    void setTitle(const std::string& text) override { title = text; }
    void setEnabled(bool value) override { enabled = value; }
    std::string title;
    bool enabled = true;
};

// Records what the controller hands the desktop; files named in `unopenable` don't open.
struct FakeWorkspace : views::Workspace {
    std::string openFile(const std::string& path) override {
        opened.push_back(path);
        return path == unopenable ? "no program opens it." : "";
    }
    void selectFiles(const std::vector<std::string>& paths) override { shownInFiles = paths; }
    void copyText(const std::string& text) override { copied = text; }
    std::string unopenable, copied;
    std::vector<std::string> opened, shownInFiles;
};

// Reads at once, or while holding keeps each read until it is released.
struct FakePatchReader : workers::PatchReader {
    void read(workers::PatchRead read) override {
        if (!holding) return read()();
        held.push_back(std::move(read));
    }
    // Runs the read and what it ends with, as the window would once the read is done.
    void release(std::size_t index) { held.at(index)()(); }
    bool holding = false;
    std::vector<workers::PatchRead> held;
};

// Checks at once, keeping its results between checks as the window's checker does.
struct FakePatchChecker : workers::PatchChecker {
    void checkLibrary(Show show) override {
        PatchFindings found = cache.checkLibrary();
        show(found);
    }
    void checkPatches(std::vector<std::string> folders, Show show) override {
        PatchFindings found = cache.check(folders);
        show(found);
    }
    PatchCheckCache cache;
};

// A controller without library worker (it writes at once) or help panel, and its other views.
struct FakeWindowViews : views::Window,
                         views::SegmentedControl,
                         views::Notice,
                         views::ItemListPanel,
                         views::MenuItem,
                         views::FindingList {
    FakeWindowViews() {
        controller.attach({.window = this,
                           .patches = &patches,
                           .parameterTable = &parameterTable,
                           .typeSelector = this,
                           .notice = this,
                           .itemListPanel = this,
                           .undoMenuItem = this,
                           .redoMenuItem = &redo,
                           .workspace = &workspace,
                           .patchReader = &reader,
                           .findingList = this});
        controller.applicationDidFinishLaunching();
    }
    void beginSheetModal(const views::Alert& alert) override { sheets.push_back(alert); }
    int selectedSegment() const override { return segment; }
    void setSelectedSegment(int value) override { segment = value; }
    void showNotice(const std::string& text, const std::string& title,
                    std::function<void()> action) override {
        notice = text;
        noticeTitle = title;
        noticeAction = std::move(action);
    }
    void hideNotice() override { notice.clear(); }
    void showItems(const std::string& title,
                   const std::vector<std::pair<std::string, std::string>>& items) override {
        listTitle = title;
        listed = items;
    }
    void showFindings(const std::vector<views::ListedFinding>& shown) override {
        findings.clear();
        for (const views::ListedFinding& finding : shown)
            findings.push_back(finding.place + " " + finding.text);
    }
    void setTitle(const std::string& title) override { undoTitle = title; }
    void setEnabled(bool enabled) override { undoEnabled = enabled; }

    void press(const std::string& title) {
        const std::vector<std::string>& titles = sheets.back().buttonTitles;
        sheets.back().didEnd(std::find(titles.begin(), titles.end(), title) - titles.begin());
    }
    std::vector<std::string> names() const {
        std::vector<std::string> shown;
        for (int row = 0; row < controller.numberOfRowsInTableView(&patches); ++row)
            shown.push_back(controller.tableViewObjectValueForTableColumnRow(&patches, "", row));
        return shown;
    }
    std::string parameterCell(int row, const std::string& column = "name") const {
        return controller.tableViewObjectValueForTableColumnRow(&parameterTable, column, row);
    }
    // Picks the patch of that name (none: -1) as a click in the table does.
    void select(const std::string& name) {
        const std::vector<std::string> shown = names();
        const auto found = std::find(shown.begin(), shown.end(), name);
        patches.selected = found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
        controller.tableViewShouldSelectRow(&patches, patches.selected);
    }

    VQ_ImporterAppDelegate controller;
    FakeTableView patches, parameterTable;
    FakePatchReader reader;
    FakeMenuItem redo;
    FakeWorkspace workspace;
    std::vector<views::Alert> sheets;
    int segment = 0;
    std::string notice, noticeTitle, listTitle, undoTitle;
    std::function<void()> noticeAction;
    std::vector<std::pair<std::string, std::string>> listed;
    // The finding list: each finding's place and text.
    std::vector<std::string> findings;
    bool undoEnabled = true;
};

// A drag whose items offer their types in order, their text as the first; no items: no item list.
struct FakeDraggingInfo : views::DraggingInfo {
    struct Item : views::PasteboardItem {
        Item(std::vector<std::string> offered = {}, std::string text = "")
            : offered(std::move(offered)), text(std::move(text)) {}
        std::vector<std::string> types() const override { return offered; }
        std::string stringForType(const std::string& type) const override {
            return type == offered.front() ? text : "";
        }
        std::vector<std::string> offered;
        std::string text;
    };
    FakeDraggingInfo() = default;
    explicit FakeDraggingInfo(std::vector<Item> list) : items(std::move(list)) {}
    std::optional<std::vector<const views::PasteboardItem*>> pasteboardItems() const override {
        if (!items) return std::nullopt;
        std::vector<const views::PasteboardItem*> pointers;
        for (const Item& item : *items) pointers.push_back(&item);
        return pointers;
    }
    std::optional<std::vector<Item>> items;
};

}  // namespace testing_support
