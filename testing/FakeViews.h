#pragma once

// Test support: plain stand-ins for the window's views that record what the
// controller asks of them.

#include <map>
#include <string>
#include <vector>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/views.h"

namespace testing_support {

class FakeTableView : public views::TableView {
public:
    void reloadData() override {
        ++reloadCount;
        selected = -1;
    }
    int selectedRow() const override { return selected; }
    void setSelectedRow(int row) override { selected = row; }
    void setDataSource(VQ_ImporterAppDelegate* source) override { dataSource = source; }
    void registerForDraggedTypes(const std::vector<std::string>& types) override {
        draggedTypes = types;
    }

    int reloadCount = 0;
    int selected = -1;
    VQ_ImporterAppDelegate* dataSource = nullptr;
    std::vector<std::string> draggedTypes;
};

class FakeSegmentedControl : public views::SegmentedControl {
public:
    int selectedSegment() const override { return segment; }
    void setSelectedSegment(int value) override { segment = value; }

    int segment = 0;
};

class FakePanel : public views::Panel {
public:
    void makeKeyAndOrderFront() override { ++shownCount; }

    int shownCount = 0;
};

class FakeWindow : public views::Window {
public:
    void beginSheetModal(const views::Alert& alert) override { sheets.push_back(alert); }
    // Presses the button of that title on the latest sheet.
    void press(const std::string& title) {
        const views::Alert& alert = sheets.back();
        for (std::size_t button = 0; button < alert.buttonTitles.size(); ++button)
            if (alert.buttonTitles[button] == title && alert.didEnd) alert.didEnd(button);
    }

    std::vector<views::Alert> sheets;
};

// Runs every library write at once, on the calling thread.
class FakeLibraryWorker : public views::LibraryWorker {
public:
    void install(views::LibraryInstall install) override { install(nullptr)(); }
    void write(views::LibraryWrite write) override { write()(); }
};

// The notice line; its text is empty while it is hidden.
struct FakeNotice : views::Notice {
    void showNotice(const std::string& shown, const std::string& title,
                    std::function<void()> act) override {
        text = shown;
        actionTitle = title;
        action = std::move(act);
    }
    void hideNotice() override { text.clear(); }
    std::string text, actionTitle;
    std::function<void()> action;
};

struct FakeItemListPanel : views::ItemListPanel {
    void showItems(const std::string& shownTitle,
                   const std::vector<std::pair<std::string, std::string>>& shown) override {
        title = shownTitle;
        items = shown;
    }
    std::string title;
    std::vector<std::pair<std::string, std::string>> items;
};

struct FakeMenuItem : views::MenuItem {
    void setTitle(const std::string& shown) override { title = shown; }
    void setEnabled(bool shown) override { enabled = shown; }
    std::string title;
    bool enabled = true;
};

class FakePasteboardItem : public views::PasteboardItem {
public:
    FakePasteboardItem(std::vector<std::string> declaredTypes,
                       std::map<std::string, std::string> strings)
        : declaredTypes_(std::move(declaredTypes)), strings_(std::move(strings)) {}
    // One item offering a file URL, the way a dragged file comes.
    static FakePasteboardItem fileUrl(const std::string& url) {
        return FakePasteboardItem({views::kFilenamesPboardType},
                                  {{views::kFilenamesPboardType, url}});
    }
    std::vector<std::string> types() const override { return declaredTypes_; }
    std::string stringForType(const std::string& type) const override {
        auto found = strings_.find(type);
        return found == strings_.end() ? "" : found->second;
    }

private:
    std::vector<std::string> declaredTypes_;
    std::map<std::string, std::string> strings_;
};

class FakeDraggingInfo : public views::DraggingInfo {
public:
    FakeDraggingInfo() : hasItemList_(false) {}
    explicit FakeDraggingInfo(std::vector<FakePasteboardItem> items)
        : hasItemList_(true), items_(std::move(items)) {}
    std::optional<std::vector<const views::PasteboardItem*>> pasteboardItems() const override {
        if (!hasItemList_) return std::nullopt;
        std::vector<const views::PasteboardItem*> items;
        for (const FakePasteboardItem& item : items_) items.push_back(&item);
        return items;
    }

private:
    bool hasItemList_;
    std::vector<FakePasteboardItem> items_;
};

// All views of the main window and its library worker, attached to a controller.
struct FakeWindowViews {
    explicit FakeWindowViews(VQ_ImporterAppDelegate& controller) {
        controller.setWindow(&window);
        controller.setHelpWindow(&helpWindow);
        controller.setPatches(&patches);
        controller.setParameterTable(&parameterTable);
        controller.setTypeSelector(&typeSelector);
        controller.setLibraryWorker(&libraryWorker);
        controller.setNotice(&notice);
        controller.setItemListPanel(&itemList);
        controller.setUndoMenuItem(&undoMenuItem);
    }
    FakeWindow window;
    FakePanel helpWindow;
    FakeTableView patches;
    FakeTableView parameterTable;
    FakeSegmentedControl typeSelector;
    FakeLibraryWorker libraryWorker;
    FakeNotice notice;
    FakeItemListPanel itemList;
    FakeMenuItem undoMenuItem;
};

}  // namespace testing_support
