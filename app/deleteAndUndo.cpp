// How patches leave the library through the controller, and come back: Delete
// moves the selected patches to the trash (or, where no trash takes one,
// deletes it for good once the user says so), Undo takes back deletes and the
// replaces of installs, the latest first, and Redo does again what Undo took
// back. Every change of the library runs as a library write, in turn with the
// installs.

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <utility>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/errorInWords.h"
#include "app/quoted.h"
#include "app/trashFailureText.h"
#include "app/translate.h"
#include "library/VQAUUtils.h"
#include "library/removal.h"

namespace {
constexpr std::size_t kDeleteButton = 0;
constexpr std::size_t kCancelButton = 1;

// The name of the patch a library path lies in: an earlier copy an install
// replaced may be the main patch file inside the patch folder.
std::string patchNameOf(const std::string& path) {
    const char* typeDir = typeDirOf(path);
    if (!typeDir) return patchNameFromPath(path);
    const std::size_t start = std::string_view(typeDir).size() + 1;
    return path.substr(start, path.find('/', start) - start);
}

// "Delete “Echo”", "Replace “Echo”", "Replace of 3 Patches": what the step did.
std::string undoStepTitle(bool replace, const std::vector<TrashedItem>& trashed) {
    if (trashed.size() == 1) {
        const std::string name = quoted(patchNameOf(trashed[0].originalPath));
        return replace ? fillIn(translate("VQ_ImporterAppDelegate", "Replace %1"), {name})
                            : fillIn(translate("VQ_ImporterAppDelegate", "Delete %1"), {name});
    }
    const std::string count = std::to_string(trashed.size());
    return replace ? fillIn(translate("VQ_ImporterAppDelegate", "Replace of %1 Patches"), {count})
                        : fillIn(translate("VQ_ImporterAppDelegate", "Delete of %1 Patches"), {count});
}

std::string pastTense(bool replace, const std::vector<TrashedItem>& trashed) {
    if (trashed.size() == 1) {
        const std::string name = quoted(patchNameOf(trashed[0].originalPath));
        return replace ? fillIn(translate("VQ_ImporterAppDelegate", "Replaced %1"), {name})
                            : fillIn(translate("VQ_ImporterAppDelegate", "Deleted %1"), {name});
    }
    const std::string count = std::to_string(trashed.size());
    return replace ? fillIn(translate("VQ_ImporterAppDelegate", "Replaced %1 patches"), {count})
                        : fillIn(translate("VQ_ImporterAppDelegate", "Deleted %1 patches"), {count});
}

std::string undoTitle(const auto& steps) {
    return steps.empty() ? translate("VQ_ImporterAppDelegate", "Undo")
                         : fillIn(translate("VQ_ImporterAppDelegate", "Undo %1"), {undoStepTitle(steps.back().replace, steps.back().trashed)});
}

std::string redoTitle(const auto& steps) {
    return steps.empty() ? translate("VQ_ImporterAppDelegate", "Redo")
                         : fillIn(translate("VQ_ImporterAppDelegate", "Redo %1"), {undoStepTitle(steps.back().replace, steps.back().trashed)});
}

void showStepTitle(views::MenuItem* item, const std::string& title, bool any) {
    if (!item) return;
    item->setTitle(title);
    item->setEnabled(any);
}
}  // namespace

void VQ_ImporterAppDelegate::runWrite(workers::LibraryWrite write, std::string title) {
    if (libraryWorker) {
        libraryWorker->write(std::move(write), std::move(title));
        return;
    }
    write()();
}

void VQ_ImporterAppDelegate::deletePressed() {
    std::vector<std::string> paths = selectedPaths();
    if (paths.empty()) return;
    const std::string title =
        paths.size() == 1
            ? fillIn(translate("VQ_ImporterAppDelegate", "Delete %1"), {quoted(patchNameFromPath(paths[0]))})
            : fillIn(translate("VQ_ImporterAppDelegate", "Delete %1 patches"),
                        {std::to_string(paths.size())});
    runWrite(
        [this, paths = std::move(paths)]() -> workers::MainThreadStep {
            std::vector<TrashResult> results;
            for (const std::string& path : paths) results.push_back(trashInstalledPatch(path));
            return [this, paths, results] { deleteFinished(paths, results); };
        },
        title);
}

void VQ_ImporterAppDelegate::deleteFinished(const std::vector<std::string>& paths,
                                            const std::vector<TrashResult>& results) {
    // The list shows what is really left on disk.
    reloadPatches(typeDirOfSelectedSegment());
    // What went to the trash is one step, whatever else happened.
    UndoStep step{false, {}};
    for (const TrashResult& trashed : results)
        if (!trashed.error) step.trashed.push_back(trashed.item);
    if (!step.trashed.empty()) addUndoStep(std::move(step));
    for (std::size_t index = 0; index < paths.size(); ++index) {
        // Gone already: deleted twice, or by someone else.
        const TrashResult& trashed = results[index];
        if (trashed.error && trashed.error != ENOENT) askToDeletePermanently(paths[index], trashed);
    }
}

void VQ_ImporterAppDelegate::askToDeletePermanently(const std::string& path,
                                                    const TrashResult& trashed) {
    if (!window) return;
    views::Alert alert;
    alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "Delete"),
                          translate("VQ_ImporterAppDelegate", "Cancel")};
    alert.safeButton = kCancelButton;
    alert.messageText = fillIn(translate("VQ_ImporterAppDelegate", "Delete %1 permanently?"),
                                  {quoted(patchNameFromPath(path))});
    alert.informativeText =
        fillIn(translate("VQ_ImporterAppDelegate", "%1 A patch deleted permanently can't be brought back."),
                  {trashFailureText(trashed)});
    alert.style = views::AlertStyle::warning;
    alert.didEnd = [this, path](std::size_t button) {
        if (button != kDeleteButton) return;
        runWrite(
            [this, path]() -> workers::MainThreadStep {
                const int error = removeInstalledPatch(path);
                return [this, path, error] {
                    reloadPatches(typeDirOfSelectedSegment());
                    if (error) alertDeleteFailed(patchNameFromPath(path), error);
                };
            },
            fillIn(translate("VQ_ImporterAppDelegate", "Delete %1"), {quoted(patchNameFromPath(path))}));
    };
    window->beginSheetModal(alert);
}

void VQ_ImporterAppDelegate::alertDeleteFailed(const std::string& name, int error) {
    if (!window) return;
    views::Alert alert;
    alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "OK")};
    alert.messageText =
        fillIn(translate("VQ_ImporterAppDelegate", "%1 could not be deleted"), {quoted(name)});
    alert.informativeText = fillIn(translate("VQ_ImporterAppDelegate",
                  "%1. Whatever could not be removed is still in the library."),
                  {errorInWords(error)});
    alert.style = views::AlertStyle::warning;
    window->beginSheetModal(alert);
}

void VQ_ImporterAppDelegate::addUndoStep(UndoStep step) {
    const std::string said = pastTense(step.replace, step.trashed);
    undoSteps.push_back(std::move(step));
    // A new change ends what Redo could do again, as in every editor.
    redoSteps.clear();
    showUndoMenuItems();
    showNotice(said, translate("VQ_ImporterAppDelegate", "Undo"), [this] { undoPressed(); });
}

void VQ_ImporterAppDelegate::undoPressed() {
    if (undoSteps.empty()) return;
    UndoStep step = std::move(undoSteps.back());
    undoSteps.pop_back();
    const std::string title =
        fillIn(translate("VQ_ImporterAppDelegate", "Undo %1"), {undoStepTitle(step.replace, step.trashed)});
    // Where a refused step goes back: steps added meanwhile are later ones.
    const std::size_t place = undoSteps.size();
    showUndoMenuItems();
    hideNoticeUnlessFailure();
    runWrite([this, step = std::move(step), place]() mutable -> workers::MainThreadStep {
        // The latest first: a request may have replaced one patch twice.
        // What came back is what Redo does again, in the step's order.
        UndoStep undone{step.replace, {}};
        int error = 0;
        while (!step.trashed.empty() && !error) {
            TrashedItem& latest = step.trashed.back();
            error = step.replace ? swapBackReplacedCopy(latest) : restoreTrashedPatch(latest);
            if (error) break;
            undone.trashed.insert(undone.trashed.begin(), std::move(latest));
            step.trashed.pop_back();
        }
        return [this, undone = std::move(undone), refused = std::move(step), place, error] {
            undoFinished(undone, refused, place, error);
        };
    }, title);
}

void VQ_ImporterAppDelegate::redoPressed() {
    if (redoSteps.empty()) return;
    UndoStep step = std::move(redoSteps.back());
    redoSteps.pop_back();
    const std::string title =
        fillIn(translate("VQ_ImporterAppDelegate", "Redo %1"), {undoStepTitle(step.replace, step.trashed)});
    showUndoMenuItems();
    runWrite([this, step = std::move(step)]() mutable -> workers::MainThreadStep {
        // In the step's order: the earlier copies of one patch replaced twice
        // go back to the trash before the later ones.
        UndoStep redone{step.replace, {}};
        std::string failedName;
        int error = 0;
        for (TrashedItem& item : step.trashed) {
            if (step.replace) {
                error = swapBackReplacedCopy(item);
                if (!error) redone.trashed.push_back(item);
            } else {
                const TrashResult trashed = trashInstalledPatch(item.originalPath);
                error = trashed.error;
                if (!error) redone.trashed.push_back(trashed.item);
            }
            if (error) {
                failedName = patchNameOf(item.originalPath);
                break;
            }
        }
        return [this, redone = std::move(redone), failedName, error] {
            redoFinished(redone, failedName, error);
        };
    }, title);
}

void VQ_ImporterAppDelegate::redoFinished(UndoStep redone, const std::string& failedName,
                                          int error) {
    libraryChanged();
    if (!redone.trashed.empty()) {
        // Keeps what Redo may still do: addUndoStep would end it.
        std::vector<UndoStep> later = std::move(redoSteps);
        addUndoStep(std::move(redone));
        redoSteps = std::move(later);
        showUndoMenuItems();
    }
    if (!error || !window) return;
    views::Alert alert;
    alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "OK")};
    alert.messageText =
        fillIn(translate("VQ_ImporterAppDelegate", "%1 can't be taken out again"), {quoted(failedName)});
    alert.informativeText = fillIn(translate("VQ_ImporterAppDelegate", "%1. It stays in the library."),
                                      {errorInWords(error)});
    alert.style = views::AlertStyle::warning;
    window->beginSheetModal(alert);
}

void VQ_ImporterAppDelegate::undoFinished(UndoStep undone, UndoStep refused, std::size_t place,
                                          int error) {
    libraryChanged();
    if (!undone.trashed.empty()) {
        redoSteps.push_back(std::move(undone));
        showUndoMenuItems();
    }
    if (!error) return;
    const std::string name = patchNameOf(refused.trashed.back().originalPath);
    if (error == ESTALE) {
        // The trash no longer holds the very item trashed: the step can never
        // be taken back, so it leaves the history.
        if (!window) return;
        views::Alert alert;
        alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "OK")};
        alert.messageText =
            fillIn(translate("VQ_ImporterAppDelegate", "%1 is no longer in the trash"), {quoted(name)});
        alert.informativeText = translate("VQ_ImporterAppDelegate",
                                          "The trash was emptied, or something else now has its "
                                          "name there. Nothing was changed.");
        alert.style = views::AlertStyle::warning;
        window->beginSheetModal(alert);
        return;
    }
    // What could not come back stays in the trash, and Undo can try again.
    undoSteps.insert(
        undoSteps.begin() + static_cast<std::ptrdiff_t>(std::min(place, undoSteps.size())),
        std::move(refused));
    showUndoMenuItems();
    if (!window) return;
    views::Alert alert;
    alert.buttonTitles = {translate("VQ_ImporterAppDelegate", "OK")};
    alert.messageText = fillIn(translate("VQ_ImporterAppDelegate", "%1 can't be put back"), {quoted(name)});
    alert.informativeText =
        error == EEXIST
            ? fillIn(translate("VQ_ImporterAppDelegate",
                        "A patch named %1 is installed again. Rename or delete it, then choose "
                        "Undo again."),
                        {quoted(name)})
            : fillIn(translate("VQ_ImporterAppDelegate", "%1. It is still in the trash."),
                        {errorInWords(error)});
    alert.style = views::AlertStyle::warning;
    window->beginSheetModal(alert);
}

void VQ_ImporterAppDelegate::setUndoMenuItem(views::MenuItem* view) {
    undoMenuItem = view;
    showUndoMenuItems();
}

void VQ_ImporterAppDelegate::setRedoMenuItem(views::MenuItem* view) {
    redoMenuItem = view;
    showUndoMenuItems();
}

void VQ_ImporterAppDelegate::showUndoMenuItems() {
    showStepTitle(undoMenuItem, undoTitle(undoSteps), !undoSteps.empty());
    showStepTitle(redoMenuItem, redoTitle(redoSteps), !redoSteps.empty());
}

void VQ_ImporterAppDelegate::showNotice(const std::string& text, const std::string& actionTitle,
                                        std::function<void()> action, bool failure) {
    ++noticesShown;
    if (unreadFailure && !failure) {
        waitingNotice = NoticeText{text, actionTitle, std::move(action)};
        return;
    }
    unreadFailure = failure;
    waitingNotice.reset();
    if (failure && action)
        // Read once its action is pressed: what waits may show then.
        action = [this, action = std::move(action)] {
            action();
            if (!unreadFailure) return;
            unreadFailure = false;
            if (std::optional<NoticeText> next = std::exchange(waitingNotice, std::nullopt))
                showNotice(next->text, next->actionTitle, std::move(next->action));
        };
    if (notice) notice->showNotice(text, actionTitle, std::move(action));
}

void VQ_ImporterAppDelegate::noticeDismissed() {
    unreadFailure = false;
    std::optional<NoticeText> next = std::exchange(waitingNotice, std::nullopt);
    if (next)
        showNotice(next->text, next->actionTitle, std::move(next->action));
    else if (notice)
        notice->hideNotice();
}

void VQ_ImporterAppDelegate::hideNoticeUnlessFailure() {
    if (!unreadFailure && notice) notice->hideNotice();
}
