#pragma once

// The importer's main window, laid out by mainwindow.ui. Attaching it to the
// controller attaches its views and connects its controls, menus and keys to
// the controller's actions, the way loading an interface description would.
// It also searches the patches list, tells the controller about changes to
// the library folder, runs the library's writes on its worker while showing
// their progress, lists, checks and reads the library's patches on threads
// of their own, says what happened in a line under the list, and remembers
// its size and place.

#include <QMainWindow>
#include <memory>

#include "app/ButtonSegments.h"
#include "app/HelpPanel.h"
#include "app/views.h"

namespace Ui {
class MainWindow;
}
class ActionMenuItem;
class DesktopWorkspace;
class FindingsSection;
class ItemListPanel;
class LibraryQueue;
class LibraryWatcher;
class PatchCheckQueue;
class PatchListQueue;
class PatchReadQueue;
class UndoMenuItem;

class MainWindow : public QMainWindow, public views::Window, public views::Notice {
    Q_OBJECT
public:
    // Lays the window out, taking the lister, which may be listing already,
    // and the library's watcher; it needs no controller yet.
    MainWindow(std::unique_ptr<PatchListQueue> lister, std::unique_ptr<LibraryWatcher> watcher);
    ~MainWindow() override;
    // Once, before the window is shown; the window lets go of the controller
    // when it goes.
    void attach(VQ_ImporterAppDelegate& controller);

    // A window-modal message box, opened without waiting for it.
    void beginSheetModal(const views::Alert& alert) override;
    void showNotice(const std::string& text, const std::string& actionTitle,
                    std::function<void()> action) override;
    void hideNotice() override;

    HelpPanel& helpPanel() { return *helpPanel_; }
    LibraryQueue& libraryQueue() { return *libraryQueue_; }
    PatchReadQueue& patchReader() { return *patchReader_; }
    PatchListQueue& patchLister() { return *patchLister_; }
    PatchCheckQueue& patchChecker() { return *patchChecker_; }

    // Installs files and folders the user chose, the way a drop of them would.
    void installPaths(const QStringList& paths);

protected:
    // While the library worker is busy, asks first; quitting cancels the
    // running install and drops the requests waiting, and the window closes
    // at once: the worker is waited for only when the window is destroyed.
    void closeEvent(QCloseEvent* event) override;
    // Activated, the window has the library checked again.
    void changeEvent(QEvent* event) override;

private:
    void attachViews();
    void connectControls();
    void connectMenus();
    // A file dialog for patch files, or for a patch folder, whose choice is installed.
    void choosePatches(bool folder);
    // A file dialog for the archive the selected patches are exported to.
    void chooseExportArchive();
    void deleteSelectedPatch();
    // The count under the list and the text the empty list shows.
    void showListState();
    // What acts on the selected patches is enabled only while there are
    // some, and the parameters pane names the patch it shows.
    void showSelectionState();
    // Drops anywhere on the window, and why a drag is refused.
    void takeDrops();

    VQ_ImporterAppDelegate* controller_ = nullptr;
    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<ButtonSegments> typeSegments_;
    HelpPanel* helpPanel_;
    ItemListPanel* itemListPanel_;
    LibraryQueue* libraryQueue_;
    PatchReadQueue* patchReader_;
    PatchListQueue* patchLister_;
    LibraryWatcher* libraryWatcher_;
    PatchCheckQueue* patchChecker_;
    FindingsSection* findingsSection_;
    std::unique_ptr<UndoMenuItem> undoMenuItem_;
    std::unique_ptr<ActionMenuItem> redoMenuItem_;
    DesktopWorkspace* workspace_;
    std::function<void()> noticeAction_;
    // Set once the user chose to quit during an install.
    bool quitting_ = false;
};
