// How patches enter the library through the controller: files and folders
// dropped on the patches table, and open requests from the desktop or the
// command line. Both end in the same install-and-show step.

#include <cstdio>
#include <string>

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
    if (const char* typeDir = installFiles(paths)) {
        reloadPatches(typeDir);
        return;
    }
    std::puts("invalid files");
    std::fflush(stdout);
    alertBadDrop();
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
