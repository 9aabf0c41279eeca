#include "app/openMainWindow.h"

#include "app/PatchListQueue.h"
#include "app/VQ_ImporterAppDelegate.h"

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    auto lister = std::make_unique<PatchListQueue>();
    controller.setPatchLister(lister.get());
    controller.applicationDidFinishLaunching();
    auto window = std::make_unique<MainWindow>(std::move(lister));
    window->attach(controller);
    window->show();
    return window;
}
