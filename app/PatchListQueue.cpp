#include "app/PatchListQueue.h"

#include <QMetaObject>
#include <utility>

#include "app/makePatchList.h"

PatchListQueue::PatchListQueue(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

PatchListQueue::~PatchListQueue() {
    pool_.clear();
    pool_.waitForDone();
}

void PatchListQueue::list(const char* typeDir, std::uint64_t sequence,
                          std::function<void(PatchList)> show) {
    ++unfinished_;
    const std::uint64_t request = ++latest_;
    pool_.start([this, typeDir, sequence, request, show = std::move(show)] {
        // Posted to this object: run in the order posted, and not at all once it is gone.
        if (request != latest_) {
            QMetaObject::invokeMethod(
                this, [this] { --unfinished_; }, Qt::QueuedConnection);
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [this, show, list = makePatchList(typeDir, sequence)]() mutable {
                --unfinished_;
                show(std::move(list));
            },
            Qt::QueuedConnection);
    });
}
