#include "app/openMainWindow.h"

#include <future>

#include "app/VQ_ImporterAppDelegate.h"

namespace {
std::unique_ptr<MainWindow> show(std::unique_ptr<MainWindow> window,
                                 VQ_ImporterAppDelegate& controller) {
    window->attach(controller);
    window->show();
    controller.applicationDidFinishLaunching();
    return window;
}
}  // namespace

Importer openImporter() {
    std::future<std::unique_ptr<VQ_ImporterAppDelegate>> made =
        std::async(std::launch::async, [] { return std::make_unique<VQ_ImporterAppDelegate>(); });
    auto window = std::make_unique<MainWindow>();
    Importer importer{made.get(), nullptr};
    importer.window = show(std::move(window), *importer.controller);
    return importer;
}

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    return show(std::make_unique<MainWindow>(), controller);
}
