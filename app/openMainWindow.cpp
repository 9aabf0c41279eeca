#include "app/openMainWindow.h"

#include "app/VQ_ImporterAppDelegate.h"

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    auto window = std::make_unique<MainWindow>();
    window->attach(controller);
    controller.applicationDidFinishLaunching();
    window->show();
    return window;
}
