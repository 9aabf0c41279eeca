#include "app/VQ_ImporterAppDelegate.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "app/utf8.h"
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

// The text of one parameters-table cell, chosen by the column's identifier.
std::string parameterCell(const VQParameter& parameter, const std::string& columnIdentifier) {
    if (columnIdentifier == "name") return isValidUtf8(parameter.name) ? parameter.name : "";
    if (columnIdentifier == "default") return formatValue(parameter.defaultValue);
    if (columnIdentifier == "min") return formatValue(parameter.min);
    if (columnIdentifier == "max") return formatValue(parameter.max);
    return "none";
}
}  // namespace

VQ_ImporterAppDelegate::VQ_ImporterAppDelegate() {
    p.reserve(2);
    initDirs();
    reloadPatches(EFFECTS_DIR);
}

void VQ_ImporterAppDelegate::applicationDidFinishLaunching() {
    if (parameterTable) {
        parameterTable->setDataSource(this);
        parameterTable->reloadData();
    }
    if (patches) patches->registerForDraggedTypes({views::kFilenamesPboardType});
}

void VQ_ImporterAppDelegate::reloadPatches(const char* dir) {
    // What was selected, read before the patch list is loaded anew.
    const int previousRow = patchPaths ? selectedRowOf(patches) : -1;
    const std::string previousPath =
        isPatchRow(previousRow) ? (*patchPaths)[static_cast<std::size_t>(previousRow)] : "";
    const bool sameType = dir == shownTypeDir;
    shownTypeDir = dir;

    patchPaths = loadPatches(dir);
    if (typeSelector)
        typeSelector->setSelectedSegment(dir == EFFECTS_DIR ? kEffectsSegment
                                                            : kInstrumentsSegment);
    p.clear();
    for (const std::string& path : *patchPaths) p.push_back(patchNameFromPath(path));
    reloadDataOf(patches);

    int row = previousRow;
    if (sameType) {
        const auto found = std::find(patchPaths->begin(), patchPaths->end(), previousPath);
        row = previousPath.empty() || found == patchPaths->end()
                  ? -1
                  : static_cast<int>(found - patchPaths->begin());
    }
    selectPatchRow(row);
}

void VQ_ImporterAppDelegate::libraryChanged() {
    if (shownTypeDir) reloadPatches(shownTypeDir);
}

const char* VQ_ImporterAppDelegate::typeDirOfSelectedSegment() const {
    return selectedSegmentOf(typeSelector) == kEffectsSegment ? EFFECTS_DIR : INSTRUMENTS_DIR;
}

bool VQ_ImporterAppDelegate::isPatchRow(int row) const {
    return patchPaths && row >= 0 && static_cast<std::size_t>(row) < patchPaths->size();
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
    setPatch((*patchPaths)[static_cast<std::size_t>(row)]);
}

void VQ_ImporterAppDelegate::clearParameters() {
    ++latestParameterRead;
    params = PdPluginParameters();
    reloadDataOf(parameterTable);
}

void VQ_ImporterAppDelegate::typeChanged() {
    reloadPatches(typeDirOfSelectedSegment());
}

void VQ_ImporterAppDelegate::helpPressed() {
    if (helpWindow) helpWindow->makeKeyAndOrderFront();
}

void VQ_ImporterAppDelegate::parametersPressed() {}

void VQ_ImporterAppDelegate::setPatch(std::string path) {
    const std::uint64_t read = ++latestParameterRead;
    // The reader keeps copies of the read, so what it read travels shared.
    const auto load = [path = std::move(path)] {
        auto loaded = std::make_shared<PdPluginParameters>();
        loaded->load(path.c_str());
        return loaded;
    };
    const auto show = [this, read](const std::shared_ptr<PdPluginParameters>& loaded) {
        if (read != latestParameterRead) return;
        params = std::move(*loaded);
        reloadDataOf(parameterTable);
    };
    if (!patchReader) return show(load());
    patchReader->read([load, show]() -> views::MainThreadStep {
        return [show, loaded = load()] { show(loaded); };
    });
}

int VQ_ImporterAppDelegate::numberOfRowsInTableView(const views::TableView* table) const {
    if (table == parameterTable) return params.size();
    return static_cast<int>(p.size());
}

std::string VQ_ImporterAppDelegate::tableViewObjectValueForTableColumnRow(
    const views::TableView* table, const std::string& columnIdentifier, int row) const {
    if (table != parameterTable) {
        // Every column of the patches table shows the patch name.
        if (row < 0 || static_cast<std::size_t>(row) >= p.size()) return "";
        return p[static_cast<std::size_t>(row)];
    }
    if (row < 0 || row >= params.size()) return "";
    return parameterCell(*params.getParameter(row), columnIdentifier);
}

bool VQ_ImporterAppDelegate::tableViewShouldSelectRow(const views::TableView* table, int row) {
    // The parameters are asked for before the row shows as selected.
    if (table == patches && isPatchRow(row)) setPatch((*patchPaths)[static_cast<std::size_t>(row)]);
    return true;
}

void VQ_ImporterAppDelegate::tableViewSelectionDidChange(const views::TableView* table) {
    if (table == patches && patches && patches->selectedRow() < 0) clearParameters();
}
