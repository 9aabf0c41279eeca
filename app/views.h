#pragma once

// The views the controller talks to, one small interface per kind of view.
// The Qt window implements them once and the controller tests once with plain
// fakes, so the controller itself never sees a toolkit type. A view the
// controller holds may be missing (not attached yet): the controller then
// does nothing with it and reads zero from it.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pdpatch/patchCheck.h"

class VQ_ImporterAppDelegate;

namespace views {

// The drag type that carries file names (local paths, one per dragged file).
inline constexpr const char* kFilenamesPboardType = "text/uri-list";

// What a drop target answers while a drag moves over it.
enum class DragOperation : unsigned { none = 0, copy = 1 };

// Where a drop lands relative to the proposed row.
enum class DropOperation { on, above };

// A table that asks its data source for its rows and cells.
class TableView {
public:
    virtual ~TableView() = default;
    // Forgets the cached rows and the selection and asks the data source
    // again; the data source selects again what it wants selected.
    virtual void reloadData() = 0;
    // Asks the data source again for the cells of the rows it has, keeping
    // the rows and the selection.
    virtual void reloadCells() = 0;
    // The selected row, or -1 when none is selected. Rows are always the data
    // source's own, in its order, whatever order the table shows them in.
    virtual int selectedRow() const = 0;
    // Selects a row, or nothing for -1, without asking the delegate. A row the
    // table does not show (a search hides it) is not selected.
    virtual void setSelectedRow(int row) = 0;
    // Shows the rows to the user without selecting them: clears a search
    // that hides any of them, scrolls to the first and marks them for a
    // moment.
    virtual void revealRows(const std::vector<int>& rows) = 0;
    // Every selected row, in the data source's order; selectedRow() is the
    // one among them the user picked last.
    virtual std::vector<int> selectedRowIndexes() const = 0;
    // Adds the rows to the selection, or selects only them, without asking
    // the delegate; rows the table does not show stay unselected.
    virtual void selectRowIndexes(const std::vector<int>& rows, bool byExtendingSelection) = 0;
    // The place of a row among the rows the table shows (a search hides
    // some), or -1 when it is not shown; and the row shown at a place, or -1.
    virtual int shownPlaceOfRow(int row) const = 0;
    virtual int rowAtShownPlace(int place) const = 0;
    virtual void setDataSource(VQ_ImporterAppDelegate* dataSource) = 0;
    // Makes the table a drop target for drags that carry one of the types.
    virtual void registerForDraggedTypes(const std::vector<std::string>& types) = 0;
};

// The mark a table row shows before its text: what the patch check found
// worst in the row's patch, when that is worth the user's attention.
enum class RowMark { none, warning, error };

// A finding of the patch check as a list shows it: its severity, the
// sentence, and where it was found ("Echo.pd:3").
struct ListedFinding {
    pdpatch::Severity severity = pdpatch::Severity::warning;
    std::string text;
    std::string place;
};

// A list of findings that hides itself while it has none.
class FindingList {
public:
    virtual ~FindingList() = default;
    virtual void showFindings(const std::vector<ListedFinding>& findings) = 0;
};

// A row of segments of which one is selected.
class SegmentedControl {
public:
    virtual ~SegmentedControl() = default;
    virtual int selectedSegment() const = 0;
    // Selects a segment without sending the control's action.
    virtual void setSelectedSegment(int segment) = 0;
};

// A floating window such as the help panel.
class Panel {
public:
    virtual ~Panel() = default;
    // Brings the panel to the front and gives it the keyboard focus.
    virtual void makeKeyAndOrderFront() = 0;
};

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

struct Alert {
    std::vector<std::string> buttonTitles;
    std::string messageText;
    std::string informativeText;
    // What went wrong in detail, shown on demand; may be empty.
    std::string detailedText;
    AlertStyle style = AlertStyle::warning;
    // The button that Return and Esc answer, one that destroys nothing.
    std::optional<std::size_t> safeButton;
    // Told which button (its index in buttonTitles) closed the alert; may be empty.
    std::function<void(std::size_t button)> didEnd;
};

// The main window, the parent of alerts about what happened in it.
class Window {
public:
    virtual ~Window() = default;
    // Shows the alert attached to the window and returns at once; the alert
    // stays until the user presses one of its buttons, which closes it and
    // tells the alert's didEnd.
    virtual void beginSheetModal(const Alert& alert) = 0;
};

// One line under the patches list that says what just happened without
// stopping anything, with at most one button.
class Notice {
public:
    virtual ~Notice() = default;
    // Replaces what the line says; without an action title it has no button.
    virtual void showNotice(const std::string& text, const std::string& actionTitle,
                            std::function<void()> action) = 0;
    virtual void hideNotice() = 0;
};

// A window beside the main window that lists items, each with a note.
class ItemListPanel {
public:
    virtual ~ItemListPanel() = default;
    virtual void showItems(const std::string& title,
                           const std::vector<std::pair<std::string, std::string>>& items) = 0;
};

// A menu item whose title and state the controller keeps, such as Edit > Undo.
class MenuItem {
public:
    virtual ~MenuItem() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// The desktop around the window: the programs that open files, the file
// manager and the clipboard.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Hands the file to the desktop's program for its type. Empty once
    // handed over, else why not, in words that end a sentence.
    virtual std::string openFile(const std::string& path) = 0;
    // Shows the files or folders selected in the file manager.
    virtual void selectFiles(const std::vector<std::string>& paths) = 0;
    virtual void copyText(const std::string& text) = 0;
};

// One dragged thing, offered in one or more types.
class PasteboardItem {
public:
    virtual ~PasteboardItem() = default;
    // The declared types, in the order the drag source gave them.
    virtual std::vector<std::string> types() const = 0;
    virtual std::string stringForType(const std::string& type) const = 0;
};

// What a drag carries.
class DraggingInfo {
public:
    virtual ~DraggingInfo() = default;
    // The dragged items in order, or nothing when the drag carries no item list.
    virtual std::optional<std::vector<const PasteboardItem*>> pasteboardItems() const = 0;
};

}  // namespace views
