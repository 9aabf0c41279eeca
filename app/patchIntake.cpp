// How patches enter the library through the controller: files and folders
// dropped on the patches table, and open requests from the desktop or the
// command line. Both arrive as local paths (the window made them so where Qt
// handed them over) and end in the same install-and-show step, which installs
// in turn with the library's other writes and then shows what became of the
// request: the type installed last, the items that were not installed, and
// the earlier copies replaced, which Undo brings back. An earlier copy that
// no trash takes is deleted for good only once the user says so.

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/installReportText.h"
#include "app/platformLog.h"
#include "app/quoted.h"
#include "app/trashFailureText.h"
#include "library/VQAUUtils.h"

namespace {
// A path is handed to the file system as a C string, so a NUL byte (decoded
// from a URL, or sent by a later start) would silently cut it short: such an
// item names no path at all.
bool holdsNulByte(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

constexpr std::size_t kReplaceButton = 1;

// Whether to delete an earlier copy that no trash takes; keeping it is the
// default, and the answer when there is no window to ask in.
void askToReplacePermanently(views::Window* window, const std::string& name, const TrashResult& why,
                             std::function<void(bool replace)> answer) {
    if (!window) {
        answer(false);
        return;
    }
    views::Alert alert;
    alert.buttonTitles = {"Keep Earlier Copy", "Replace"};
    alert.messageText = "Replace " + quoted(name) + " permanently?";
    alert.informativeText =
        trashFailureText(why) + " The earlier copy can't be brought back once replaced.";
    alert.style = views::AlertStyle::warning;
    alert.safeButton = 0;
    alert.didEnd = [answer = std::move(answer)](std::size_t button) {
        answer(button == kReplaceButton);
    };
    window->beginSheetModal(alert);
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
        std::string path = item.stringForType(types.front());
        platformLog(path);
        if (!holdsNulByte(path)) paths.push_back(std::move(path));
    }
    if (!paths.empty()) installAndShow(paths);
    return true;
}

bool VQ_ImporterAppDelegate::applicationOpenFiles(const std::vector<std::string>& fileNames) {
    std::vector<std::string> paths;
    for (const std::string& path : fileNames) {
        platformLog(path);
        if (!holdsNulByte(path)) paths.push_back(path);
    }
    if (!paths.empty()) installAndShow(paths);
    return true;
}

void VQ_ImporterAppDelegate::installAndShow(std::vector<std::string>& paths) {
    workers::LibraryInstall install =
        [this,
         paths = std::move(paths)](InstallWatcher* watcher) mutable -> workers::MainThreadStep {
        InstallReport report = installItems(paths, watcher);
        // Nothing installed, and not for a cancel or the user's keeping an
        // earlier copy: said right after the install's own lines, before any
        // later request's.
        const bool nothingInstalled =
            !report.lastType &&
            std::none_of(report.items.begin(), report.items.end(), [](const ItemReport& item) {
                return item.outcome == ItemOutcome::cancelled ||
                       item.outcome == ItemOutcome::keptEarlierCopy;
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
        libraryWorker->install(std::move(install),
                               [this](const std::string& name, const TrashResult& why,
                                      std::function<void(bool replace)> answer) {
                                   askToReplacePermanently(window, name, why, std::move(answer));
                               });
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
    // A copy gone for good matters more than what Undo brings back, and what
    // went wrong more than either: Undo stays in the menu.
    const std::string deletedForGood = deletedForGoodText(report);
    if (!deletedForGood.empty()) showNotice(deletedForGood, "", nullptr);
    const std::vector<std::pair<std::string, std::string>> notInstalled = itemsNotInstalled(report);
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
