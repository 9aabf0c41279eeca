#include "app/PatchReadQueue.h"

#include <QMetaObject>
#include <utility>

PatchReadQueue::PatchReadQueue(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

PatchReadQueue::~PatchReadQueue() {
    pool_.clear();
    pool_.waitForDone();
}

void PatchReadQueue::read(workers::PatchRead read) {
    ++unfinished_;
    pool_.start([this, read = std::move(read)] {
        // Steps posted to this object run in the order posted, and not at
        // all once it is gone.
        QMetaObject::invokeMethod(
            this,
            [this, step = read()] {
                --unfinished_;
                step();
            },
            Qt::QueuedConnection);
    });
}
