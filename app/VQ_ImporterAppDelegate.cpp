#include "app/VQ_ImporterAppDelegate.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "app/findingTexts.h"
#include "app/utf8.h"
#include "fsutil/fileKind.h"
#include "library/VQAUUtils.h"

namespace {
constexpr int kEffectsSegment = 0;
constexpr int kInstrumentsSegment = 1;

// A view that is not attached does nothing and reads as zero.
int selectedRowOf(const views::TableView* table) {
    return table ? table->selectedRow() : 0;
}
int selectedSegmentOf(const views::SegmentedControl* control) {
    return control ? control->selectedSegment() : 0;
}
void reloadDataOf(views::TableView* table) {
    if (table) table->reloadData();
}

// "%3.2f" with a decimal point in every locale: two decimals already make
// at least three characters, so the width never pads.
std::string formatValue(float value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                   std::chars_format::fixed, 2)
                         .ptr;
    return std::string(text, end);
}

// Every digit a float was read with, and no more: the shortest text that
// reads back as the same float.
std::string fullValue(float value) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string utf8OrNothing(const std::string& text) {
    return isValidUtf8(text) ? text : "";
}

// The word after the values ("Hz" of "... 20 800 440 Hz;"), without the
// semicolon that ends the declaration when it is the last word.
std::string unitOf(const VQParameter& parameter) {
    const std::string& extra = parameter.extra;
    return utf8OrNothing(extra.ends_with(';') ? extra.substr(0, extra.size() - 1) : extra);
}

// The text of one parameters-table cell, chosen by the column's identifier;
// `format` writes the numbers.
std::string parameterCell(const VQParameter& parameter, const std::string& columnIdentifier,
                          std::string (*format)(float)) {
    if (columnIdentifier == "name") return utf8OrNothing(parameter.name);
    if (columnIdentifier == "default") return format(parameter.defaultValue);
    if (columnIdentifier == "min") return format(parameter.min);
    if (columnIdentifier == "max") return format(parameter.max);
    if (columnIdentifier == "type") return utf8OrNothing(parameter.type);
    if (columnIdentifier == "unit") return unitOf(parameter);
    return "none";
}

// Without a lister the list is made at once from the library's own list, in
// its listing order.
PatchList listedAtOnce(const char* typeDir, std::uint64_t sequence) {
    PatchList list{typeDir, sequence, *loadPatches(typeDir), {}, {}};
    for (const std::string& path : list.paths) list.names.push_back(patchNameFromPath(path));
    list.searchKeys = list.names;
    return list;
}
}  // namespace

VQ_ImporterAppDelegate::VQ_ImporterAppDelegate() {
    initDirs();
}

void VQ_ImporterAppDelegate::attach(const Views& attached) {
    setWindow(attached.window);
    setHelpWindow(attached.helpWindow);
    setPatches(attached.patches);
    setParameterTable(attached.parameterTable);
    setTypeSelector(attached.typeSelector);
    setNotice(attached.notice);
    setItemListPanel(attached.itemListPanel);
    setUndoMenuItem(attached.undoMenuItem);
    setRedoMenuItem(attached.redoMenuItem);
    setWorkspace(attached.workspace);
    setLibraryWorker(attached.libraryWorker);
    setPatchReader(attached.patchReader);
    setPatchLister(attached.patchLister);
    setFindingList(attached.findingList);
    setPatchChecker(attached.patchChecker);
    if (launched) serveViews();
}

void VQ_ImporterAppDelegate::applicationDidFinishLaunching() {
    launched = true;
    serveViews();
    reloadPatches(EFFECTS_DIR);
}

void VQ_ImporterAppDelegate::serveViews() {
    if (parameterTable) {
        parameterTable->setDataSource(this);
        parameterTable->reloadData();
    }
    if (patches) {
        patches->registerForDraggedTypes({views::kFilenamesPboardType});
        // A list made before the table was attached.
        if (hasPatchList()) patches->reloadData();
    }
    selectWantedSegment();
    checkLibrary();
}

void VQ_ImporterAppDelegate::selectWantedSegment() {
    if (typeSelector && wantedTypeDir)
        typeSelector->setSelectedSegment(wantedTypeDir == EFFECTS_DIR ? kEffectsSegment
                                                                      : kInstrumentsSegment);
}

void VQ_ImporterAppDelegate::checkLibrary() {
    if (patchChecker)
        patchChecker->checkLibrary([this](PatchFindings& found) { showFindings(found); });
}

void VQ_ImporterAppDelegate::showFindings(PatchFindings& found) {
    // Most checks find what the one before found: the table is left alone.
    if (found == findings) return;
    std::swap(findings, found);
    if (patches) patches->reloadCells();
    showSelectedFindings();
}

void VQ_ImporterAppDelegate::showSelectedFindings() {
    if (!findingList) return;
    const auto found = findings.find(paramsPath);
    findingList->showFindings(found == findings.end()
                                  ? std::vector<views::ListedFinding>{}
                                  : listedFindings(found->first, found->second));
}

const std::vector<pdpatch::Finding>* VQ_ImporterAppDelegate::findingsOfRow(int row) const {
    if (!isPatchRow(row)) return nullptr;
    const auto found = findings.find(shown.paths[static_cast<std::size_t>(row)]);
    return found == findings.end() ? nullptr : &found->second;
}

void VQ_ImporterAppDelegate::reloadPatches(const char* dir) {
    wantedTypeDir = dir;
    selectWantedSegment();
    const std::uint64_t sequence = ++latestListRequest;
    if (!patchLister) return showPatchList(listedAtOnce(dir, sequence));
    patchLister->list(dir, sequence, [this](PatchList list) { showPatchList(std::move(list)); });
}

void VQ_ImporterAppDelegate::showPatchList(PatchList list) {
    if (list.typeDir != wantedTypeDir || list.sequence < shown.sequence) return;
    // What was selected, read before the list is swapped.
    const int previousRow = shown.typeDir ? selectedRowOf(patches) : -1;
    const std::string previousPath =
        isPatchRow(previousRow) ? shown.paths[static_cast<std::size_t>(previousRow)] : "";
    // Only the user's switch of type carries the selected row over; any
    // other reload keeps the selected patches, or selects none.
    const bool rowCarries = list.typeDir != shown.typeDir && list.typeDir == switchedTo;
    const std::vector<std::string> previousPaths =
        rowCarries ? std::vector<std::string>{} : selectedPaths();
    // A switch of type keeps the place among the rows shown (a search hides
    // some), not the row of the list.
    const int previousPlace = patches ? patches->shownPlaceOfRow(previousRow) : -1;
    shown = std::move(list);
    reloadDataOf(patches);

    if (rowCarries) {
        selectPatchRow(patches ? patches->rowAtShownPlace(previousPlace) : -1);
    } else {
        // The same patches stay selected, wherever the new list has them; the
        // one picked last keeps showing its parameters while it is there.
        std::vector<int> rows;
        int row = -1;
        for (const std::string& path : previousPaths) {
            const auto found = std::find(shown.paths.begin(), shown.paths.end(), path);
            if (found == shown.paths.end()) continue;
            rows.push_back(static_cast<int>(found - shown.paths.begin()));
            if (path == previousPath || row < 0) row = rows.back();
        }
        selectPatchRow(row);
        if (patches && rows.size() > 1) patches->selectRowIndexes(rows, true);
    }
    if (toReveal.empty() || shown.typeDir != revealTypeDir) return;
    std::vector<int> rows;
    for (const std::string& path : toReveal) {
        const auto found = std::find(shown.paths.begin(), shown.paths.end(), path);
        if (found != shown.paths.end())
            rows.push_back(static_cast<int>(found - shown.paths.begin()));
    }
    toReveal.clear();
    if (patches && !rows.empty()) patches->revealRows(rows);
    if (selectRevealed && rows.size() == 1) selectPatchRow(rows.front());
}

void VQ_ImporterAppDelegate::reveal(const char* typeDir, std::vector<std::string> paths,
                                    bool select) {
    switchedTo = nullptr;
    revealTypeDir = typeDir;
    toReveal = std::move(paths);
    selectRevealed = select;
    reloadPatches(typeDir);
}

void VQ_ImporterAppDelegate::searchChanged() {
    ++viewChanges;
    toReveal.clear();
}

void VQ_ImporterAppDelegate::libraryChanged() {
    if (wantedTypeDir) reloadPatches(wantedTypeDir);
    checkLibrary();
}

void VQ_ImporterAppDelegate::windowDidBecomeKey() {
    checkLibrary();
}

const char* VQ_ImporterAppDelegate::typeDirOfSelectedSegment() const {
    return selectedSegmentOf(typeSelector) == kEffectsSegment ? EFFECTS_DIR : INSTRUMENTS_DIR;
}

bool VQ_ImporterAppDelegate::isPatchRow(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < shown.paths.size();
}

void VQ_ImporterAppDelegate::selectPatchRow(int row) {
    if (!isPatchRow(row)) row = -1;
    if (patches) {
        patches->setSelectedRow(row);
        if (patches->selectedRow() != row) row = -1;
    }
    if (row < 0) {
        clearParameters();
        return;
    }
    setPatch(shown.paths[static_cast<std::size_t>(row)]);
}

void VQ_ImporterAppDelegate::clearParameters() {
    ++latestParameterRead;
    paramsPath.clear();
    params = PdPluginParameters();
    missingMainFile.clear();
    reloadDataOf(parameterTable);
    showSelectedFindings();
}

void VQ_ImporterAppDelegate::typeChanged() {
    searchChanged();
    switchedTo = typeDirOfSelectedSegment();
    reloadPatches(switchedTo);
}

void VQ_ImporterAppDelegate::helpPressed() {
    if (helpWindow) helpWindow->makeKeyAndOrderFront();
}

void VQ_ImporterAppDelegate::parametersPressed() {}

void VQ_ImporterAppDelegate::setPatch(std::string path) {
    const std::uint64_t read = ++latestParameterRead;
    struct Loaded {
        PdPluginParameters params;
        // The main patch file's name, when the folder lacks it.
        std::string missingMainFile;
    };
    paramsPath = path;
    showSelectedFindings();
    // The reader keeps copies of the read, so what it read travels shared.
    const auto load = [path = std::move(path)] {
        auto loaded = std::make_shared<Loaded>();
        loaded->params.load(path.c_str());
        const std::string mainFile = patchNameFromPath(path) + ".pd";
        if (!isRegularFile(path + "/" + mainFile)) loaded->missingMainFile = mainFile;
        return loaded;
    };
    const auto show = [this, read](const std::shared_ptr<Loaded>& loaded) {
        if (read != latestParameterRead) return;
        params = std::move(loaded->params);
        missingMainFile = loaded->missingMainFile;
        reloadDataOf(parameterTable);
    };
    if (!patchReader) return show(load());
    patchReader->read([load, show]() -> workers::MainThreadStep {
        return [show, loaded = load()] { show(loaded); };
    });
}

int VQ_ImporterAppDelegate::numberOfRowsInTableView(const views::TableView* table) const {
    if (table == parameterTable) return params.size();
    return static_cast<int>(shown.names.size());
}

std::string VQ_ImporterAppDelegate::tableViewObjectValueForTableColumnRow(
    const views::TableView* table, const std::string& columnIdentifier, int row) const {
    if (table != parameterTable) {
        // Every column of the patches table shows the patch name.
        if (!isPatchRow(row)) return "";
        return shown.names[static_cast<std::size_t>(row)];
    }
    if (row < 0 || row >= params.size()) return "";
    return parameterCell(*params.getParameter(row), columnIdentifier, formatValue);
}

std::string VQ_ImporterAppDelegate::tableViewToolTipForTableColumnRow(
    const views::TableView* table, const std::string& columnIdentifier, int row) const {
    if (table == patches) {
        const std::string summary = tableViewMarkDescriptionForRow(table, row);
        const std::string name =
            tableViewObjectValueForTableColumnRow(table, columnIdentifier, row);
        return summary.empty() ? name : name + "\n" + summary;
    }
    if (table != parameterTable || row < 0 || row >= params.size())
        return tableViewObjectValueForTableColumnRow(table, columnIdentifier, row);
    return parameterCell(*params.getParameter(row), columnIdentifier, fullValue);
}

bool VQ_ImporterAppDelegate::tableViewShouldSelectRow(const views::TableView* table, int row) {
    // The parameters are asked for before the row shows as selected.
    if (table == patches && isPatchRow(row)) setPatch(shown.paths[static_cast<std::size_t>(row)]);
    return true;
}

std::string_view VQ_ImporterAppDelegate::tableViewSearchKeyForRow(const views::TableView* table,
                                                                  int row) const {
    if (table != patches || !isPatchRow(row)) return {};
    return shown.searchKeys[static_cast<std::size_t>(row)];
}

views::RowMark VQ_ImporterAppDelegate::tableViewMarkForRow(const views::TableView* table,
                                                           int row) const {
    const std::vector<pdpatch::Finding>* found = table == patches ? findingsOfRow(row) : nullptr;
    return found ? rowMark(*found) : views::RowMark::none;
}

std::string VQ_ImporterAppDelegate::tableViewMarkDescriptionForRow(const views::TableView* table,
                                                                   int row) const {
    const std::vector<pdpatch::Finding>* found = table == patches ? findingsOfRow(row) : nullptr;
    return found ? findingSummary(*found) : "";
}

void VQ_ImporterAppDelegate::tableViewSelectionDidChange(const views::TableView* table) {
    if (table != patches || !patches) return;
    const int row = patches->selectedRow();
    if (!isPatchRow(row)) return clearParameters();
    const std::string& path = shown.paths[static_cast<std::size_t>(row)];
    if (path != paramsPath) setPatch(path);
}

std::vector<std::string> VQ_ImporterAppDelegate::selectedPaths() const {
    if (!patches) return {};
    return tableViewFileNamesForDraggedRows(patches, patches->selectedRowIndexes());
}
