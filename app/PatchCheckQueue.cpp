#include "app/PatchCheckQueue.h"

#include <utility>

PatchCheckQueue::PatchCheckQueue(QObject* parent) : QObject(parent) {}

void PatchCheckQueue::post(std::function<std::optional<PatchFindings>(PatchCheckCache&)> check,
                           std::function<void(PatchFindings)> show) {
    ++unfinished_;
    worker_.post([this, check = std::move(check), show = std::move(show)] {
        worker_.onMainThread([this, show, found = check(cache_)]() mutable {
            --unfinished_;
            if (found) show(std::move(*found));
        });
    });
}

void PatchCheckQueue::checkLibrary(std::function<void(PatchFindings)> show) {
    const std::uint64_t request = ++latestLibraryCheck_;
    post(
        [this, request](PatchCheckCache& cache) -> std::optional<PatchFindings> {
            if (request != latestLibraryCheck_) return std::nullopt;
            return cache.checkLibrary();
        },
        std::move(show));
}

void PatchCheckQueue::checkPatches(std::vector<std::string> folders,
                                   std::function<void(PatchFindings)> show) {
    post([folders = std::move(folders)](PatchCheckCache& cache) -> std::optional<PatchFindings> {
        return cache.check(folders);
    },
         std::move(show));
}
