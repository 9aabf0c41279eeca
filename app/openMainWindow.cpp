#include "app/openMainWindow.h"

#include "app/LibraryWatcher.h"
#include "app/PatchListQueue.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "library/VQAUUtils.h"

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    // The watch is set before the first list is begun: a change made after
    // it is reported, one made before it is in the list.
    auto watcher = std::make_unique<LibraryWatcher>(
        QStringList{QString::fromUtf8(BASE_DIR), QString::fromUtf8(EFFECTS_DIR),
                    QString::fromUtf8(INSTRUMENTS_DIR)});
    watcher->waitUntilWatching();
    auto lister = std::make_unique<PatchListQueue>();
    controller.setPatchLister(lister.get());
    controller.applicationDidFinishLaunching();
    auto window = std::make_unique<MainWindow>(std::move(lister), std::move(watcher));
    window->attach(controller);
    window->show();
    return window;
}
