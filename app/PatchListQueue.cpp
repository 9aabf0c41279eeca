#include "app/PatchListQueue.h"

#include <utility>

#include "app/makePatchList.h"

PatchListQueue::PatchListQueue(QObject* parent) : QObject(parent) {}

void PatchListQueue::list(const char* typeDir, std::uint64_t sequence,
                          std::function<void(PatchList)> show) {
    ++unfinished_;
    const std::uint64_t request = ++latest_;
    worker_.post([this, typeDir, sequence, request, show = std::move(show)] {
        if (request != latest_) {
            worker_.onMainThread([this] { --unfinished_; });
            return;
        }
        worker_.onMainThread([this, show, list = makePatchList(typeDir, sequence)]() mutable {
            --unfinished_;
            show(std::move(list));
        });
    });
}
