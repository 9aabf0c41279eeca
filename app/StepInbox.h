#pragma once

// Runs steps sent from any thread on the thread this object lives in, in the
// order sent, and none once it is gone. The steps wait under a std::mutex, so
// that ThreadSanitizer sees each hand-off: only a wake-up without data goes
// through Qt's event queue, whose locks (Debian's Qt is built without
// ThreadSanitizer) it cannot see. The wake-up is a plain QEvent, which Qt's
// own code frees: a slot object made here and freed there would look raced.

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class StepInbox : public QObject {
public:
    using QObject::QObject;

    void send(std::function<void()> step);

protected:
    void customEvent(QEvent* wakeUp) override;

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> steps_;
};
