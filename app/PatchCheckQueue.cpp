#include "app/PatchCheckQueue.h"

#include <utility>

PatchCheckQueue::PatchCheckQueue(QObject* parent) : QObject(parent) {}

void PatchCheckQueue::post(std::function<std::optional<PatchFindings>(PatchCheckCache&)> check,
                           Show show) {
    ++unfinished_;
    worker_.post([this, check = std::move(check), show = std::move(show)] {
        worker_.onMainThread([this, show, found = check(cache_)]() mutable {
            --unfinished_;
            if (!found) return;
            show(*found);
            // A library's findings are tens of thousands of blocks the worker
            // made: freed by the window's thread, against the worker's
            // allocations, they held it up for 50 to 120 ms.
            worker_.post([leftover = std::move(*found)] {});
        });
    });
}

void PatchCheckQueue::checkLibrary(Show show) {
    const std::uint64_t request = ++latestLibraryCheck_;
    post(
        [this, request](PatchCheckCache& cache) -> std::optional<PatchFindings> {
            if (request != latestLibraryCheck_) return std::nullopt;
            return cache.checkLibrary();
        },
        std::move(show));
}

void PatchCheckQueue::checkPatches(std::vector<std::string> folders, Show show) {
    post(
        [folders = std::move(folders)](PatchCheckCache& cache) -> std::optional<PatchFindings> {
            return cache.check(folders);
        },
        std::move(show));
}
