#include "app/PatchReadQueue.h"

#include <utility>

PatchReadQueue::PatchReadQueue(QObject* parent) : QObject(parent) {}

void PatchReadQueue::read(workers::PatchRead read) {
    ++unfinished_;
    worker_.post([this, read = std::move(read)] {
        worker_.onMainThread([this, step = read()] {
            --unfinished_;
            step();
        });
    });
}
