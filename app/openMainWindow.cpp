#include "app/openMainWindow.h"

#include <chrono>
#include <future>

#include "app/NameSortFilterModel.h"
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
    // A big library is still being listed: meanwhile ICU loads the rules
    // that its list will be collated by (the first collation key loads them).
    if (made.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        NameSortFilterModel::nameCollator().sortKey({});
    Importer importer{made.get(), nullptr};
    importer.window = show(std::move(window), *importer.controller);
    return importer;
}

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    return show(std::make_unique<MainWindow>(), controller);
}
