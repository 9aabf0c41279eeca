#pragma once

// A thread of its own that runs jobs one at a time, first posted first, and
// the way back: steps sent to the main thread run there in the order sent,
// and not at all once the worker is gone. Jobs wait under a std::mutex, so
// that ThreadSanitizer sees every hand-off (see StepInbox).

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "app/StepInbox.h"

class WorkerThread {
public:
    // Starts the thread: made by a window, after the QApplication.
    WorkerThread();
    // Drops the jobs waiting and waits for the running one; the steps it
    // sends are dropped too.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void post(std::function<void()> job);
    // Drops the jobs not started yet.
    void dropWaiting();
    // From any thread.
    void onMainThread(std::function<void()> step) { mainThread_.send(std::move(step)); }

private:
    void work(std::stop_token stop);

    StepInbox mainThread_;
    std::mutex mutex_;
    std::condition_variable_any jobPosted_;
    std::deque<std::function<void()>> jobs_;
    // Last: it starts once the rest is made, and is joined before it goes.
    std::jthread thread_;
};
