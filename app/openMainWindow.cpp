#include "app/openMainWindow.h"

#include <chrono>
#include <exception>
#include <future>

#include "app/ControllerTableModel.h"
#include "app/NameSortFilterModel.h"
#include "app/VQ_ImporterAppDelegate.h"

namespace {
std::unique_ptr<MainWindow> show(std::unique_ptr<MainWindow> window,
                                 VQ_ImporterAppDelegate& controller, RankingToCome firstRanking) {
    window->attach(controller, std::move(firstRanking));
    window->show();
    controller.applicationDidFinishLaunching();
    return window;
}

// The names of the controller's list, ranked as the patches table shows them.
std::shared_ptr<NameRanking> rankingOf(const VQ_ImporterAppDelegate& controller) {
    QStringList names;
    names.reserve(static_cast<qsizetype>(controller.patchNames().size()));
    for (const std::string& name : controller.patchNames())
        names << ControllerTableModel::displayText(name);
    return std::make_shared<NameRanking>(std::move(names), &NameSortFilterModel::nameCollator);
}
}  // namespace

ImporterStart startImporter() {
    std::promise<std::unique_ptr<VQ_ImporterAppDelegate>> made;
    std::promise<std::shared_ptr<NameRanking>> ranked;
    ImporterStart started{made.get_future(), ranked.get_future().share(), {}};
    // The window takes the controller as soon as it is made, and its list's
    // ranking once the names are read; this thread then helps to rank them.
    started.lister = std::jthread([made = std::move(made), ranked = std::move(ranked)]() mutable {
        std::shared_ptr<NameRanking> ranking;
        try {
            auto controller = std::make_unique<VQ_ImporterAppDelegate>();
            const VQ_ImporterAppDelegate& listed = *controller;
            made.set_value(std::move(controller));
            // Without a ranking the window ranks the names itself.
            try {
                ranking = rankingOf(listed);
            } catch (...) {
            }
        } catch (...) {
            made.set_exception(std::current_exception());
        }
        ranked.set_value(ranking);
        if (ranking) ranking->help();
    });
    return started;
}

Importer openImporter(ImporterStart started) {
    auto window = std::make_unique<MainWindow>();
    // A big library is still being listed: meanwhile ICU loads the rules
    // that its list will be collated by (the first collation key loads them).
    if (started.controller.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        NameSortFilterModel::nameCollator().sortKey({});
    Importer importer{started.controller.get(), nullptr, std::move(started.lister)};
    importer.window = show(std::move(window), *importer.controller, started.ranking);
    // The names are read off the controller's list, which the window may
    // change once it runs: not before they are.
    started.ranking.wait();
    return importer;
}

std::unique_ptr<MainWindow> openMainWindow(VQ_ImporterAppDelegate& controller) {
    return show(std::make_unique<MainWindow>(), controller, {});
}
