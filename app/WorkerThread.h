#pragma once

// A thread of its own that runs jobs one at a time, first posted first, and
// the way back: steps sent to the main thread run there in the order sent,
// and not at all once the worker is gone. Jobs and steps are handed over
// under a std::mutex, so that ThreadSanitizer sees every hand-off (the locks
// of Debian's Qt are built without it and look like none).

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class WorkerThread : public QObject {
public:
    // Starts the thread: made by a window, after the QApplication.
    explicit WorkerThread(QObject* parent = nullptr);
    // Drops the jobs waiting and waits for the running one; the steps it
    // sends are dropped too.
    ~WorkerThread() override;

    void post(std::function<void()> job);
    // Drops the jobs not started yet.
    void dropWaiting();
    // From any thread.
    void onMainThread(std::function<void()> step);

private:
    void work(std::stop_token stop);
    void runSteps();

    std::mutex mutex_;
    std::condition_variable_any jobPosted_;
    std::deque<std::function<void()>> jobs_;
    std::deque<std::function<void()>> steps_;
    // Last: it starts once the rest is made, and is joined before it goes.
    std::jthread thread_;
};
