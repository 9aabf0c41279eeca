// How patches enter the library through the controller: files and folders
// dropped on the patches table, and open requests from the desktop or the
// command line. Both end in the same install-and-show step, which installs
// in turn with the library's other writes and then shows what became of the
// request: the type installed last, the items that were not installed, and
// the earlier copies replaced, which Undo brings back.

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/percentDecode.h"
#include "app/platformLog.h"
#include "library/VQAUUtils.h"

namespace {
// A path is handed to the file system as a C string, so a decoded NUL byte
// would silently cut it short: such an item names no path at all.
bool holdsNulByte(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

std::string whyNotInstalled(const ItemReport& item) {
    switch (item.outcome) {
        case ItemOutcome::notAPatch:
            return "not a patch folder";
        case ItemOutcome::notFound:
            return "not found";
        case ItemOutcome::failed:
            return "copy failed: " + item.reason;
        case ItemOutcome::cancelled:
            return "cancelled";
        case ItemOutcome::installed:
            break;
    }
    return "";
}

// "2 of 5 items were not installed"
std::string notInstalledText(std::size_t notInstalled, std::size_t items) {
    return std::to_string(notInstalled) + " of " + std::to_string(items) +
           (items == 1 ? " item" : " items") + (notInstalled == 1 ? " was" : " were") +
           " not installed";
}
}  // namespace

views::DragOperation VQ_ImporterAppDelegate::tableViewValidateDropProposedRowProposedDropOperation(
    const views::TableView*, const views::DraggingInfo&, int, views::DropOperation) const {
    // Whatever is dragged is judged only after the drop, by installation.
    return views::DragOperation::copy;
}

bool VQ_ImporterAppDelegate::tableViewAcceptDropRowDropOperation(const views::TableView*,
                                                                 const views::DraggingInfo& info,
                                                                 int, views::DropOperation) {
    const auto items = info.pasteboardItems();
    if (!items) return false;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < items->size(); ++i) {
        platformLog(std::to_string(i));
        const views::PasteboardItem& item = *(*items)[i];
        const std::vector<std::string> types = item.types();
        if (types.empty()) continue;
        std::string path = percentDecode(item.stringForType(types.front()));
        platformLog(path);
        if (!holdsNulByte(path)) paths.push_back(std::move(path));
    }
    if (!paths.empty()) installAndShow(paths);
    return true;
}

bool VQ_ImporterAppDelegate::applicationOpenFiles(const std::vector<std::string>& fileNames) {
    std::vector<std::string> paths;
    for (const std::string& fileName : fileNames) {
        platformLog(fileName);
        std::string path = percentDecode(fileName);
        if (!holdsNulByte(path)) paths.push_back(std::move(path));
    }
    if (!paths.empty()) installAndShow(paths);
    return true;
}

void VQ_ImporterAppDelegate::installAndShow(std::vector<std::string>& paths) {
    views::LibraryInstall install =
        [this, paths = std::move(paths)](InstallWatcher* watcher) mutable -> views::MainThreadStep {
        InstallReport report = installItems(paths, watcher);
        // Nothing installed, and not for a cancel: said right after the
        // install's own lines, before any later request's.
        const bool nothingInstalled =
            !report.lastType &&
            std::none_of(report.items.begin(), report.items.end(), [](const ItemReport& item) {
                return item.outcome == ItemOutcome::cancelled;
            });
        if (nothingInstalled) {
            std::puts("invalid files");
            std::fflush(stdout);
        }
        return [this, report = std::move(report), nothingInstalled] {
            showInstallReport(report, nothingInstalled);
        };
    };
    if (libraryWorker)
        libraryWorker->install(std::move(install));
    else
        install(nullptr)();
}

void VQ_ImporterAppDelegate::showInstallReport(const InstallReport& report, bool nothingInstalled) {
    if (!report.replaced.empty()) {
        UndoStep step{true, {}};
        for (const ReplacedCopy& copy : report.replaced) step.trashed.push_back(copy.trashed);
        addUndoStep(std::move(step));
    }
    if (nothingInstalled) {
        alertBadDrop();
        return;
    }
    if (report.lastType) reloadPatches(report.lastType);
    std::vector<std::pair<std::string, std::string>> notInstalled;
    for (const ItemReport& item : report.items)
        if (item.outcome != ItemOutcome::installed)
            notInstalled.emplace_back(item.item, whyNotInstalled(item));
    // What went wrong matters more than what was replaced: Undo stays in the menu.
    if (notInstalled.empty()) return;
    showNotice(notInstalledText(notInstalled.size(), report.items.size()), "Details…",
               [this, notInstalled] {
                   if (itemListPanel) itemListPanel->showItems("Items not installed", notInstalled);
               });
}

void VQ_ImporterAppDelegate::alertBadDrop() {
    if (!window) return;
    views::Alert alert;
    alert.buttonTitles = {"OK"};
    alert.messageText = "The file or folder was invalid";
    alert.informativeText =
        "Maybe you dropped a file with no dac~ or a folder that doesn't contain a patch of the "
        "same name!";
    alert.style = views::AlertStyle::warning;
    window->beginSheetModal(alert);
}
