#include "app/WorkerThread.h"

#include <QMetaObject>
#include <utility>

WorkerThread::WorkerThread(QObject* parent)
    : QObject(parent), thread_([this](std::stop_token stop) { work(stop); }) {}

WorkerThread::~WorkerThread() {
    dropWaiting();
    thread_.request_stop();
    thread_.join();
}

void WorkerThread::post(std::function<void()> job) {
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    jobPosted_.notify_one();
}

void WorkerThread::dropWaiting() {
    const std::lock_guard lock(mutex_);
    jobs_.clear();
}

void WorkerThread::work(std::stop_token stop) {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            if (!jobPosted_.wait(lock, stop, [this] { return !jobs_.empty(); })) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

void WorkerThread::onMainThread(std::function<void()> step) {
    {
        const std::lock_guard lock(mutex_);
        steps_.push_back(std::move(step));
    }
    // Only a wake-up goes through Qt's event queue; the step waits here.
    QMetaObject::invokeMethod(this, &WorkerThread::runSteps, Qt::QueuedConnection);
}

void WorkerThread::runSteps() {
    // One step per wake-up, each sent with its own: a step may destroy what
    // owns this worker (a window it closes), so nothing may follow it here.
    std::function<void()> step;
    {
        const std::lock_guard lock(mutex_);
        if (steps_.empty()) return;
        step = std::move(steps_.front());
        steps_.pop_front();
    }
    step();
}
