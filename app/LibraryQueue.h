#pragma once

// The window's library worker: installs, deletes and undos run one at a time,
// in the order they were asked for, on a thread of their own, so the window
// keeps repainting and answering while a patch of gigabytes is copied. What
// each request ends with runs on the main thread. The running install can be
// followed and cancelled; the requests waiting behind it are counted.

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <cstdint>

#include "app/views.h"

class LibraryQueue : public QObject, public views::LibraryWorker {
    Q_OBJECT
public:
    // Where the running install is, as last reported by it.
    struct Progress {
        std::size_t item = 0;  // counted from 0
        std::size_t items = 0;
        QString name;
        std::uint64_t bytesCopied = 0;
        // 0 when unknown (an archive is extracted without a total).
        std::uint64_t bytesToCopy = 0;
    };

    explicit LibraryQueue(QObject* parent = nullptr);
    ~LibraryQueue() override;

    void install(views::LibraryInstall install) override;
    void write(views::LibraryWrite write) override;

    // A request runs or waits.
    bool busy() const { return running_ || waiting_ > 0; }
    bool installing() const { return running_ && runningIsInstall_; }
    // Requests asked for and not started yet.
    int waiting() const { return waiting_; }
    const Progress& progress() const { return progress_; }

    // Stops the running install: the item being copied leaves nothing, the
    // items after it are not started. The requests waiting still run.
    void cancelInstall();
    // Before the window goes: the running install is cancelled, the requests
    // waiting are dropped, and this returns once the worker has stopped.
    void stop();

signals:
    void requestStarted();
    void progressed();
    void waitingChanged();
    void requestFinished();

private:
    class Watcher;
    // A request's work, told its number.
    using Work = std::function<views::MainThreadStep(std::uint64_t request)>;

    void enqueue(bool isInstall, Work work);
    void onMainThread(std::function<void()> step);

    // One thread at most: the requests run one at a time, first asked first.
    QThreadPool pool_;
    std::uint64_t lastRequest_ = 0;
    // Read by the installing thread.
    std::atomic<std::uint64_t> cancelledRequest_{0};
    std::atomic<bool> stopping_{false};
    // Kept on the main thread, from what the worker reports.
    int waiting_ = 0;
    bool running_ = false;
    bool runningIsInstall_ = false;
    std::uint64_t runningRequest_ = 0;
    Progress progress_;
};
