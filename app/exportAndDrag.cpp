// How patches leave the library for someone else through the controller:
// exported to one .zip archive, in turn with the library's writes (so that
// an install never swaps a patch out from under it), or dragged out of the
// patches table as their folders, for the drop target to copy.

#include <string>
#include <utility>
#include <vector>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/quoted.h"
#include "app/translate.h"
#include "library/VQAUUtils.h"
#include "library/patchExport.h"

void VQ_ImporterAppDelegate::exportSelectedPatches(const std::string& archive) {
    const std::vector<std::string> paths = selectedPaths();
    if (paths.empty()) return;
    workers::LibraryExport work = [this, paths,
                                   archive](InstallWatcher* watcher) -> workers::MainThreadStep {
        ExportResult result = exportPatches(paths, archive, watcher);
        return [this, result = std::move(result), paths, archive] {
            exportFinished(paths, archive, result);
        };
    };
    if (libraryWorker)
        libraryWorker->exportArchive(std::move(work));
    else
        work(nullptr)();
}

void VQ_ImporterAppDelegate::exportFinished(const std::vector<std::string>& paths,
                                            const std::string& archive,
                                            const ExportResult& result) {
    const std::string file = quoted(getDirName(archive));
    switch (result.outcome) {
        case ExportOutcome::exported:
            showNotice(paths.size() == 1
                           ? fillIn(translate("VQ_ImporterAppDelegate", "Exported %1 to %2"),
                                    {quoted(patchNameFromPath(paths[0])), file})
                           : fillIn(translate("VQ_ImporterAppDelegate", "Exported %1 patches to %2"),
                                    {std::to_string(paths.size()), file}),
                       translate("VQ_ImporterAppDelegate", "Show in Files"), [this, archive] {
                           if (workspace) workspace->selectFiles({archive});
                       });
            break;
        case ExportOutcome::cancelled:
            showNotice(fillIn(translate("VQ_ImporterAppDelegate", "Export to %1 cancelled"), {file}), "",
                       nullptr);
            break;
        case ExportOutcome::failed:
            showNotice(fillIn(translate("VQ_ImporterAppDelegate", "Can't export to %1: %2"),
                              {file, result.reason}),
                       "", nullptr, true);
            break;
    }
}

std::vector<std::string> VQ_ImporterAppDelegate::tableViewFileNamesForDraggedRows(
    const views::TableView* table, const std::vector<int>& rows) const {
    std::vector<std::string> paths;
    if (table != patches) return paths;
    for (int row : rows)
        if (isPatchRow(row)) paths.push_back(shown.paths[static_cast<std::size_t>(row)]);
    return paths;
}
