#include "app/StepInbox.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

void StepInbox::send(std::function<void()> step) {
    {
        const std::lock_guard lock(mutex_);
        steps_.push_back(std::move(step));
    }
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
}

void StepInbox::customEvent(QEvent*) {
    // One step per wake-up, each sent with its own: a step may destroy what
    // owns this inbox (a window it closes), so nothing may follow it here.
    std::function<void()> step;
    {
        const std::lock_guard lock(mutex_);
        if (steps_.empty()) return;
        step = std::move(steps_.front());
        steps_.pop_front();
    }
    step();
}
