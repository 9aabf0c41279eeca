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
#include "app/findingTexts.h"
#include "app/installReportText.h"
#include "app/platformLog.h"
#include "app/quoted.h"
#include "app/trashFailureText.h"
#include "app/translate.h"
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
    alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "Keep Earlier Copy"),
                          translate("VQ_ImporterAppDelegate", "Replace")};
    alert.messageText =
        fillIn(translate("VQ_ImporterAppDelegate", "Replace %1 permanently?"), {quoted(name)});
    alert.informativeText =
        fillIn(translate("VQ_ImporterAppDelegate",
                  "%1 The earlier copy can't be brought back once replaced."),
                  {trashFailureText(why)});
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
    if (!paths.empty()) installAndShow(paths, Intake::drop);
    return true;
}

namespace {
std::vector<std::string> pathsOf(const std::vector<std::string>& fileNames) {
    std::vector<std::string> paths;
    for (const std::string& path : fileNames) {
        platformLog(path);
        if (!holdsNulByte(path)) paths.push_back(path);
    }
    return paths;
}

// Each item not installed and why, one a line, for the bad-drop alert.
std::string reasonsNotInstalled(const InstallReport& report) {
    std::string lines;
    for (const auto& [item, why] : itemsNotInstalled(report))
        lines += (lines.empty() ? "" : "\n") + item + ": " + why;
    return lines;
}
}  // namespace

bool VQ_ImporterAppDelegate::applicationOpenFiles(const std::vector<std::string>& fileNames) {
    std::vector<std::string> paths = pathsOf(fileNames);
    if (!paths.empty()) installAndShow(paths, Intake::openRequest);
    return true;
}

void VQ_ImporterAppDelegate::openChosenFiles(const std::vector<std::string>& fileNames) {
    std::vector<std::string> paths = pathsOf(fileNames);
    if (!paths.empty()) installAndShow(paths, Intake::chosen);
}

void VQ_ImporterAppDelegate::installAndShow(std::vector<std::string>& paths, Intake intake) {
    // The view the user left when asking: one changed meanwhile is left alone.
    const std::uint64_t viewAsked = viewChanges;
    workers::LibraryInstall install =
        [this, paths = std::move(paths), intake,
         viewAsked](InstallWatcher* watcher) mutable -> workers::MainThreadStep {
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
        return [this, report = std::move(report), nothingInstalled, intake, viewAsked] {
            showInstallReport(report, nothingInstalled, intake, viewChanges != viewAsked);
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

void VQ_ImporterAppDelegate::showInstallReport(const InstallReport& report, bool nothingInstalled,
                                               Intake intake, bool viewKept) {
    if (nothingInstalled) {
        alertBadDrop(intake, reasonsNotInstalled(report));
        return;
    }
    std::vector<Installed> installed;
    std::vector<std::string> folders, shownType;
    for (const ItemReport& item : report.items) {
        if (item.outcome != ItemOutcome::installed) continue;
        installed.push_back({item.installedPatch, item.type});
        folders.push_back(std::string(item.type) + "/" + item.installedPatch);
        if (item.type == report.lastType) shownType.push_back(folders.back());
    }
    if (viewKept) {
        libraryChanged();
    } else if (report.lastType) {
        reveal(report.lastType, std::move(shownType));
        checkLibrary();
    }
    // A failure's notice first: it stays, and the most important of the
    // others, the last, shows once it is read or dismissed.
    const std::string deletedForGood = deletedForGoodText(report);
    if (!deletedForGood.empty()) showNotice(deletedForGood, "", nullptr, true);
    const std::vector<std::pair<std::string, std::string>> notInstalled = itemsNotInstalled(report);
    if (!notInstalled.empty())
        showNotice(
            notInstalledText(notInstalled.size(), report.items.size()),
            translate("VQ_ImporterAppDelegate", "Details…"),
            [this, notInstalled] {
                if (itemListPanel)
                    itemListPanel->showItems(
                        translate("VQ_ImporterAppDelegate", "Items not installed"), notInstalled);
            },
            true);
    // The notice waits for the check of what came (the checker keeps its
    // results, so the library's check does not make them again), and gives
    // way to any notice that came meanwhile. An install that replaced
    // copies says so last, with Undo, so its own notice does not wait.
    if (patchChecker && !installed.empty() && report.replaced.empty())
        patchChecker->checkPatches(
            std::move(folders), [this, installed, before = noticesShown](const PatchFindings& found) {
                if (noticesShown == before) noticeInstalled(installed, found);
            });
    else
        noticeInstalled(installed, {});
    if (!report.replaced.empty()) {
        UndoStep step{true, {}};
        for (const ReplacedCopy& copy : report.replaced) step.trashed.push_back(copy.trashed);
        addUndoStep(std::move(step));
    }
}

void VQ_ImporterAppDelegate::noticeInstalled(const std::vector<Installed>& installed,
                                             const PatchFindings& found) {
    const auto typeName = [](const char* type) {
        return type == EFFECTS_DIR ? translate("VQ_ImporterAppDelegate", "effects")
                                   : translate("VQ_ImporterAppDelegate", "instruments");
    };
    // "1 error, 2 warnings" for a patch with any, else empty.
    const auto countsOf = [&found](const Installed& item) {
        const auto findings = found.find(std::string(item.type) + "/" + item.name);
        return findings == found.end() ? std::string() : findingCounts(findings->second);
    };
    if (installed.size() == 1) {
        const Installed& item = installed.front();
        const std::string counts = countsOf(item);
        // Show selects a patch with findings, so that the findings show too.
        showNotice(counts.empty() ? fillIn(translate("VQ_ImporterAppDelegate", "Installed %1 (%2)"), {quoted(item.name), typeName(item.type)})
                                  : fillIn(translate("VQ_ImporterAppDelegate", "Installed %1: %2"), {quoted(item.name), counts}),
                   translate("VQ_ImporterAppDelegate", "Show"),
                   [this, type = item.type, path = std::string(item.type) + "/" + item.name,
                    select = !counts.empty()] { reveal(type, {path}, select); });
    } else if (installed.size() > 1) {
        std::vector<std::pair<std::string, std::string>> listed;
        std::size_t withFindings = 0;
        for (const Installed& item : installed) {
            const std::string counts = countsOf(item);
            withFindings += !counts.empty();
            listed.emplace_back(item.name,
                                typeName(item.type) + (counts.empty() ? "" : ": " + counts));
        }
        const std::string count = std::to_string(installed.size());
        showNotice(withFindings == 0
                       ? fillIn(translate("VQ_ImporterAppDelegate", "Installed %1 patches"), {count})
                       : fillIn(translate("VQ_ImporterAppDelegate", "Installed %1 patches, %2 with errors or warnings"), {count, std::to_string(withFindings)}),
                   translate("VQ_ImporterAppDelegate", "Details…"), [this, listed] {
                       if (itemListPanel)
                           itemListPanel->showItems(
                               translate("VQ_ImporterAppDelegate", "Patches installed"), listed);
                   });
    }
}

void VQ_ImporterAppDelegate::alertBadDrop(Intake intake, const std::string& detailedText) {
    if (!window) return;
    views::Alert alert;
    alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "OK")};
    alert.messageText = translate("VQ_ImporterAppDelegate", "The file or folder was invalid");
    alert.informativeText =
        intake == Intake::chosen
            ? translate("VQ_ImporterAppDelegate",
                        "Maybe you chose a file with no dac~ or a folder that doesn't contain a "
                        "patch of the same name!")
            : translate("VQ_ImporterAppDelegate",
                        "Maybe you dropped a file with no dac~ or a folder that doesn't contain a "
                        "patch of the same name!");
    alert.detailedText = detailedText;
    alert.style = views::AlertStyle::warning;
    window->beginSheetModal(alert);
}
