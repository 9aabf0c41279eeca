#include "app/WorkerThread.h"

#include <utility>

WorkerThread::WorkerThread() : thread_([this](std::stop_token stop) { work(stop); }) {}

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
