#include "app/openMainWindow.h"

#include "app/VQ_ImporterAppDelegate.h"

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    auto window = std::make_unique<MainWindow>(controller);
    window->show();
    controller.applicationDidFinishLaunching();
    return window;
}
