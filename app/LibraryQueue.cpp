#include "app/LibraryQueue.h"

#include <QMetaObject>
#include <utility>

#include "library/VQAUUtils.h"

// Reports the install of one request to the main thread and tells it when
// that request is cancelled. Called on the worker's thread.
class LibraryQueue::Watcher : public InstallWatcher {
public:
    Watcher(LibraryQueue& queue, std::uint64_t request) : queue_(queue), request_(request) {}

    bool cancelled() const override {
        return queue_.stopping_ || queue_.cancelledRequest_ == request_;
    }
    void itemStarted(std::size_t index, std::size_t count, const std::string& item,
                     std::uint64_t bytes) override {
        Progress started{index, count, QString::fromStdString(getDirName(item)), 0, bytes};
        queue_.onMainThread([&queue = queue_, started] {
            queue.progress_ = started;
            emit queue.progressed();
        });
    }
    void itemProgress(std::uint64_t bytes) override {
        queue_.onMainThread([&queue = queue_, bytes] {
            queue.progress_.bytesCopied = bytes;
            emit queue.progressed();
        });
    }

private:
    LibraryQueue& queue_;
    std::uint64_t request_;
};

LibraryQueue::LibraryQueue(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

LibraryQueue::~LibraryQueue() {
    stop();
}

void LibraryQueue::install(views::LibraryInstall install) {
    enqueue(true, [this, install = std::move(install)](std::uint64_t request) {
        Watcher watcher(*this, request);
        return install(&watcher);
    });
}

void LibraryQueue::write(views::LibraryWrite write) {
    enqueue(false, [write = std::move(write)](std::uint64_t) { return write(); });
}

void LibraryQueue::enqueue(bool isInstall, Work work) {
    const std::uint64_t request = ++lastRequest_;
    ++waiting_;
    emit waitingChanged();
    pool_.start([this, isInstall, request, work = std::move(work)]() mutable {
        onMainThread([this, isInstall, request] {
            --waiting_;
            running_ = true;
            runningIsInstall_ = isInstall;
            runningRequest_ = request;
            progress_ = {};
            emit waitingChanged();
            emit requestStarted();
        });
        views::MainThreadStep finish = work(request);
        onMainThread([this, finish = std::move(finish)] {
            running_ = false;
            finish();
            emit requestFinished();
        });
    });
}

void LibraryQueue::onMainThread(std::function<void()> step) {
    // Steps posted to this object run in the order posted, and not at all
    // once it is gone.
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void LibraryQueue::cancelInstall() {
    if (installing()) cancelledRequest_ = runningRequest_;
}

void LibraryQueue::stop() {
    stopping_ = true;
    pool_.clear();
    waiting_ = 0;
    pool_.waitForDone();
}
