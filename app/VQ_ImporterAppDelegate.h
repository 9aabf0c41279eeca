#pragma once

// The controller behind the importer's main window: it keeps the patches table
// in step with the library folder, answers both tables as their data source,
// loads the parameters of the selected patch, deletes and installs patches and
// shows the help panel. Plain C++: it reaches the window only through the
// interfaces of views.h and workers.h. It runs on the main thread; the
// library's writes (installs, deletes, undos) go to the library worker when
// one is attached, and run at once when none is.
//
// The patches list is made whole by the patch lister (at once, in listing
// order, when none is attached) for every reload and swapped in when it
// comes, unless the type shown changed or a list asked for later was shown
// meanwhile.
//
// The parameters table shows the parameters of the selected patch, or none
// while no patch is selected. They are read by the patch reader when one is
// attached (at once when none is) and shown once read; until then the table
// shows what it showed, and a read overtaken by another selection shows
// nothing. A reload of the shown type keeps the selected patch selected by
// its path; a switch of type selects the patch at the same place of the new
// list among the rows the patches table shows.
//
// An install that ends after the user switched the type or changed the
// search since asking for it leaves the view alone and says what it
// installed, with a way to show it; otherwise the list shows the type
// installed last and reveals the new patches there. An install never selects.
// A notice about a failure stays until the user dismisses or reads it.
//
// Every delete (of one patch or of several selected) and every install that
// replaced patches is a step that Undo takes back, the latest first, for as
// long as the controller lives: the deleted patches, or the earlier copies
// replaced, come back from the trash. Redo does again what Undo took back,
// until the next delete or replace.
//
// The patch checker checks the whole library when launching has finished
// and again whenever the library changed or the window became active; the findings that come are
// swapped in whole, and the patches table marks the patches with errors or
// warnings while the finding list shows those of the selected patch. An
// install's notice says what the check found in the patches it brought,
// once the checker has checked them; the check never changes an install.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/patchList.h"
#include "app/views.h"
#include "app/workers.h"
#include "library/patchExport.h"
#include "params/PdPluginParameters.h"

class VQ_ImporterAppDelegate {
public:
    // Everything a window attaches at once; any may be null.
    struct Views {
        views::Window* window = nullptr;
        views::Panel* helpWindow = nullptr;
        views::TableView* patches = nullptr;
        views::TableView* parameterTable = nullptr;
        views::SegmentedControl* typeSelector = nullptr;
        views::Notice* notice = nullptr;
        views::ItemListPanel* itemListPanel = nullptr;
        views::MenuItem* undoMenuItem = nullptr;
        views::MenuItem* redoMenuItem = nullptr;
        views::Workspace* workspace = nullptr;
        workers::LibraryWorker* libraryWorker = nullptr;
        workers::PatchReader* patchReader = nullptr;
        workers::PatchLister* patchLister = nullptr;
        views::FindingList* findingList = nullptr;
        workers::PatchChecker* patchChecker = nullptr;
    };

    // Makes sure the library folders exist; the effects are listed once the
    // views are attached and launching has finished.
    VQ_ImporterAppDelegate();
    VQ_ImporterAppDelegate(const VQ_ImporterAppDelegate&) = delete;
    VQ_ImporterAppDelegate& operator=(const VQ_ImporterAppDelegate&) = delete;

    views::Window* getWindow() const { return window; }
    void setWindow(views::Window* view) { window = view; }
    views::Panel* getHelpWindow() const { return helpWindow; }
    void setHelpWindow(views::Panel* view) { helpWindow = view; }
    views::TableView* getPatches() const { return patches; }
    void setPatches(views::TableView* view) { patches = view; }
    views::SegmentedControl* getTypeSelector() const { return typeSelector; }
    void setTypeSelector(views::SegmentedControl* view) { typeSelector = view; }
    // The parameters table has no getter: only the window's builder sets it.
    void setParameterTable(views::TableView* view) { parameterTable = view; }
    void setLibraryWorker(workers::LibraryWorker* worker) { libraryWorker = worker; }
    void setPatchReader(workers::PatchReader* reader) { patchReader = reader; }
    void setNotice(views::Notice* view) { notice = view; }
    void setItemListPanel(views::ItemListPanel* view) { itemListPanel = view; }
    void setUndoMenuItem(views::MenuItem* view);
    void setRedoMenuItem(views::MenuItem* view);
    void setWorkspace(views::Workspace* view) { workspace = view; }
    void setPatchLister(workers::PatchLister* lister) { patchLister = lister; }
    void setFindingList(views::FindingList* view) { findingList = view; }
    void setPatchChecker(workers::PatchChecker* checker) { patchChecker = checker; }
    // Attaches every view and worker of a window, or lets go of them all, so
    // that none is left pointing at a window that is gone. Views attached
    // after launching has finished are served as launching serves them.
    void attach(const Views& attached);
    void detach() { attach({}); }

    // Serves the parameters table, takes drops of file names on the patches
    // table and lists the effects. The window calls it with only its lister
    // attached, so the effects are listed while it is laid out.
    void applicationDidFinishLaunching();

    // Moves the type selector to a type directory (EFFECTS_DIR or
    // INSTRUMENTS_DIR) and asks for its list, which shows when it comes and
    // selects again (see above).
    void reloadPatches(const char* dir);
    // The library folder changed on disk: reloads the shown type.
    void libraryChanged();
    // The window became the active one: patches may have been edited
    // meanwhile (in Pd), inside their folders where no watch reaches, so the
    // library is checked again; only what changed is checked anew.
    void windowDidBecomeKey();
    // The user changed the search of the patches list.
    void searchChanged();
    // The user closed the notice line.
    void noticeDismissed();

    // Actions of the window's controls.
    void typeChanged();
    // Moves the selected patches to the trash, as one step, or asks to
    // delete each that no trash takes for good.
    void deletePressed();
    // Takes back the latest delete or replace.
    void undoPressed();
    // Does again the step Undo took back last.
    void redoPressed();
    // The selected patches: their main patch files opened in Pd, the
    // folders shown in the file manager, their paths copied (one a line).
    void openInPdPressed();
    void showInFilesPressed();
    void copyPathPressed();
    void helpPressed();
    void parametersPressed();
    // Writes the selected patches to the zip archive `archive` (a path the
    // user chose) in turn with the library's writes, then says how it went.
    void exportSelectedPatches(const std::string& archive);

    // Reads the parameters of a patch folder into the parameters table.
    void setPatch(std::string path);

    // Whether a list came yet: until then the patches table is empty
    // without saying that the library is.
    bool hasPatchList() const { return shown.typeDir != nullptr; }
    // The name of the main patch file that the selected patch folder lacks
    // ("Echo.pd"), once its parameters were read; else empty.
    const std::string& missingMainPatchFile() const { return missingMainFile; }
    // The patch folder whose parameters are shown or being read; empty
    // while no patch is selected.
    const std::string& parametersPath() const { return paramsPath; }

    // Data source of both tables.
    int numberOfRowsInTableView(const views::TableView* table) const;
    std::string tableViewObjectValueForTableColumnRow(const views::TableView* table,
                                                      const std::string& columnIdentifier,
                                                      int row) const;
    // A cell's whole text: a number with every digit it was read with.
    std::string tableViewToolTipForTableColumnRow(const views::TableView* table,
                                                  const std::string& columnIdentifier,
                                                  int row) const;
    // The text the search looks in for a patches table row (empty for
    // other tables).
    std::string_view tableViewSearchKeyForRow(const views::TableView* table, int row) const;
    // What the patch check found in a patches table row's patch: its mark,
    // and the counts with the sentences (empty for none and other tables).
    views::RowMark tableViewMarkForRow(const views::TableView* table, int row) const;
    std::string tableViewMarkDescriptionForRow(const views::TableView* table, int row) const;
    // Asked before a row the user picks becomes selected; never refuses.
    bool tableViewShouldSelectRow(const views::TableView* table, int row);
    // Told when a table's selection changed without the controller (a
    // search hid the selected row): without a selected patch, the
    // parameters table empties; another patch selected in its place shows
    // its parameters.
    void tableViewSelectionDidChange(const views::TableView* table);

    // Drops on the patches table and open requests: both install what they
    // are given and show its type, or alert when nothing could be installed.
    views::DragOperation tableViewValidateDropProposedRowProposedDropOperation(
        const views::TableView* table, const views::DraggingInfo& info, int proposedRow,
        views::DropOperation operation) const;
    bool tableViewAcceptDropRowDropOperation(const views::TableView* table,
                                             const views::DraggingInfo& info, int row,
                                             views::DropOperation operation);
    bool applicationOpenFiles(const std::vector<std::string>& fileNames);
    // The patch folders a drag of these rows out of the patches table
    // carries, for the drop target to copy; none for other tables.
    std::vector<std::string> tableViewFileNamesForDraggedRows(const views::TableView* table,
                                                              const std::vector<int>& rows) const;
    // Files and folders the user chose with Add… or File > Open.
    void openChosenFiles(const std::vector<std::string>& fileNames);
    // Where a request to install came from; the bad-drop alert says it in
    // its words.
    enum class Intake { drop, openRequest, chosen };
    // `detailedText` says why each item was not installed.
    void alertBadDrop(Intake intake = Intake::drop, const std::string& detailedText = "");
    // Tells that a patch could not be deleted, and the system's reason.
    void alertDeleteFailed(const std::string& patchName, int error);

private:
    // A delete, or the earlier copies one install request replaced.
    struct UndoStep {
        bool replace = false;
        std::vector<TrashedItem> trashed;
    };

    // Shows a list that came from the lister, unless it is stale.
    void showPatchList(PatchList list);
    void installAndShow(std::vector<std::string>& paths, Intake intake);
    void showInstallReport(const InstallReport& report, bool nothingInstalled, Intake intake,
                           bool viewKept);
    // A patch a request installed: its name and type directory.
    struct Installed {
        std::string name;
        const char* type = nullptr;
    };
    // Says what a request installed, and what the check found in it, with a
    // way to show it.
    void noticeInstalled(const std::vector<Installed>& installed, const PatchFindings& found);
    // Shows the type directory's list and reveals the patches there once it
    // comes; selects the one revealed when asked to.
    void reveal(const char* typeDir, std::vector<std::string> paths, bool select = false);
    // Asks the checker for the findings of the whole library.
    void checkLibrary();
    // Takes the findings when they differ from those shown, leaving the
    // replaced ones in `found`.
    void showFindings(PatchFindings& found);
    // The findings of the patch the parameters table shows, in the finding list.
    void showSelectedFindings();
    const std::vector<pdpatch::Finding>* findingsOfRow(int row) const;
    void runWrite(workers::LibraryWrite write, std::string title);
    void deleteFinished(const std::vector<std::string>& paths,
                        const std::vector<TrashResult>& results);
    void askToDeletePermanently(const std::string& path, const TrashResult& trashed);
    void addUndoStep(UndoStep step);
    void undoFinished(UndoStep undone, UndoStep refused, std::size_t place, int error);
    void redoFinished(UndoStep redone, const std::string& failedName, int error);
    void showUndoMenuItems();
    void exportFinished(const std::vector<std::string>& paths, const std::string& archive,
                        const ExportResult& result);
    // The paths of the selected patches, in the list's order.
    std::vector<std::string> selectedPaths() const;
    // A failure's notice stays until dismissed or read (its action
    // pressed); other notices coming meanwhile wait, the latest only.
    void showNotice(const std::string& text, const std::string& actionTitle,
                    std::function<void()> action, bool failure = false);
    void hideNoticeUnlessFailure();
    const char* typeDirOfSelectedSegment() const;
    bool isPatchRow(int row) const;
    // Selects the row (-1: none) and shows its patch's parameters, or none
    // when the patches table does not select it.
    void selectPatchRow(int row);
    void clearParameters();
    // What launching does for the views attached.
    void serveViews();
    // Moves the type selector to the type asked for last.
    void selectWantedSegment();

    views::Window* window = nullptr;
    views::Panel* helpWindow = nullptr;
    views::TableView* patches = nullptr;
    views::TableView* parameterTable = nullptr;
    views::SegmentedControl* typeSelector = nullptr;
    workers::LibraryWorker* libraryWorker = nullptr;
    workers::PatchReader* patchReader = nullptr;
    views::Notice* notice = nullptr;
    views::ItemListPanel* itemListPanel = nullptr;
    views::MenuItem* undoMenuItem = nullptr;
    views::MenuItem* redoMenuItem = nullptr;
    views::Workspace* workspace = nullptr;
    workers::PatchLister* patchLister = nullptr;
    bool launched = false;
    views::FindingList* findingList = nullptr;
    workers::PatchChecker* patchChecker = nullptr;
    // What the check found, as the latest check of the library handed over.
    PatchFindings findings;
    // What the patches table shows.
    PatchList shown;
    // The type directory of the latest list asked for, and how many lists
    // were asked for.
    const char* wantedTypeDir = nullptr;
    std::uint64_t latestListRequest = 0;
    // What the parameters table shows, and the patch folder it was read
    // from (or is being read from); written on the main thread only.
    PdPluginParameters params;
    std::string paramsPath;
    // Counts the parameter reads asked for and the clearings: a read shows
    // its parameters only if nothing came after it.
    std::uint64_t latestParameterRead = 0;
    // The steps Undo takes back, and those Redo does again, the latest last.
    std::vector<UndoStep> undoSteps;
    std::vector<UndoStep> redoSteps;
    // How often the user switched the type or changed the search.
    std::uint64_t viewChanges = 0;
    // The type the user last switched to.
    const char* switchedTo = nullptr;
    // The patches to reveal once the list of their type shows.
    const char* revealTypeDir = nullptr;
    std::vector<std::string> toReveal;
    bool selectRevealed = false;
    struct NoticeText {
        std::string text, actionTitle;
        std::function<void()> action;
    };
    bool unreadFailure = false;
    // How many notices were asked for, shown or waiting.
    std::uint64_t noticesShown = 0;
    std::optional<NoticeText> waitingNotice;
    // See missingMainPatchFile().
    std::string missingMainFile;
};
