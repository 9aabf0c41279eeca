// What the desktop does with the selected patches for the controller: Pd
// opens their main patch files, the file manager shows their folders, and
// the clipboard takes their paths.

#include <string>
#include <vector>

#include "app/VQ_ImporterAppDelegate.h"
#include "app/quoted.h"
#include "app/translate.h"
#include "library/VQAUUtils.h"

void VQ_ImporterAppDelegate::openInPdPressed() {
    if (!workspace) return;
    for (const std::string& path : selectedPaths()) {
        const std::string name = patchNameFromPath(path);
        const std::string why = workspace->openFile(path + "/" + name + ".pd");
        // One line says what failed; the patches that did open are open.
        if (!why.empty())
            showNotice(fillIn(translate("VQ_ImporterAppDelegate", "Can't open %1 in Pd: %2"),
                                 {quoted(name), why}),
                       "", nullptr);
    }
}

void VQ_ImporterAppDelegate::showInFilesPressed() {
    const std::vector<std::string> paths = selectedPaths();
    if (workspace && !paths.empty()) workspace->selectFiles(paths);
}

void VQ_ImporterAppDelegate::copyPathPressed() {
    std::string text;
    for (const std::string& path : selectedPaths()) text += (text.empty() ? "" : "\n") + path;
    if (workspace && !text.empty()) workspace->copyText(text);
}
