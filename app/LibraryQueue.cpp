#include "app/LibraryQueue.h"

#include <QMetaObject>
#include <algorithm>
#include <condition_variable>
#include <optional>
#include <utility>

#include "library/VQAUUtils.h"

// An answer the installing thread waits for; the first one given counts.
class LibraryQueue::Answer {
public:
    void give(bool replace) {
        {
            const std::lock_guard lock(mutex_);
            if (!value_) value_ = replace;
        }
        given_.notify_all();
    }
    bool wait() {
        std::unique_lock lock(mutex_);
        given_.wait(lock, [this] { return value_.has_value(); });
        return *value_;
    }

private:
    std::mutex mutex_;
    std::condition_variable given_;
    std::optional<bool> value_;
};

// Reports the install of one request to the main thread and tells it when
// that request is cancelled. Called on the worker's thread.
class LibraryQueue::Watcher : public InstallWatcher {
public:
    Watcher(LibraryQueue& queue, std::uint64_t request, workers::ReplaceQuestion ask)
        : queue_(queue), request_(request), ask_(std::move(ask)) {}

    bool cancelled() const override {
        return queue_.stopping_ || queue_.cancelledRequest_ == request_;
    }
    void itemStarted(std::size_t index, std::size_t count, const std::string& item,
                     const TreeSize& toCopy) override {
        Progress started{index, count, QString::fromStdString(getDirName(item)), {}, toCopy};
        queue_.onMainThread([&queue = queue_, started] {
            queue.progress_ = started;
            emit queue.progressed();
        });
    }
    void itemProgress(const TreeSize& copied) override {
        queue_.onMainThread([&queue = queue_, copied] {
            queue.progress_.copied = copied;
            emit queue.progressed();
        });
    }
    void waitingForLibrary() override {
        queue_.onMainThread([&queue = queue_] {
            queue.progress_.waitingForLibrary = true;
            emit queue.progressed();
        });
    }
    bool replacePermanently(const std::string& name, const TrashResult& why) override {
        const std::shared_ptr<Answer> answer = queue_.openQuestion();
        if (!answer || !ask_) return false;
        queue_.onMainThread([ask = ask_, name, why, answer] {
            ask(name, why, [answer](bool replace) { answer->give(replace); });
        });
        return answer->wait();
    }

private:
    LibraryQueue& queue_;
    std::uint64_t request_;
    workers::ReplaceQuestion ask_;
};

LibraryQueue::LibraryQueue(QObject* parent) : QObject(parent) {}

LibraryQueue::~LibraryQueue() {
    stop();
}

void LibraryQueue::install(workers::LibraryInstall install, workers::ReplaceQuestion ask) {
    enqueue(Kind::install,
            [this, install = std::move(install), ask = std::move(ask)](std::uint64_t request) {
                Watcher watcher(*this, request, ask);
                return install(&watcher);
            });
}

void LibraryQueue::write(workers::LibraryWrite write, std::string title) {
    enqueue(
        Kind::write, [write = std::move(write)](std::uint64_t) { return write(); },
        QString::fromStdString(title));
}

void LibraryQueue::exportArchive(workers::LibraryExport work) {
    enqueue(Kind::exportArchive, [this, work = std::move(work)](std::uint64_t request) {
        // An export replaces nothing in the library, so it never asks.
        Watcher watcher(*this, request, nullptr);
        return work(&watcher);
    });
}

QString LibraryQueue::waitingTitle() const {
    return waitingTitles_.empty() ? QString() : waitingTitles_.begin()->second;
}

void LibraryQueue::enqueue(Kind kind, Work work, QString title) {
    if (stopping_) return;
    const std::uint64_t request = ++lastRequest_;
    if (!title.isEmpty()) waitingTitles_[request] = std::move(title);
    emit waitingChanged();
    worker_.post([this, kind, request, work = std::move(work)]() mutable {
        onMainThread([this, kind, request] {
            lastStarted_ = std::max(lastStarted_, request);
            waitingTitles_.erase(waitingTitles_.begin(), waitingTitles_.upper_bound(lastStarted_));
            running_ = true;
            runningKind_ = kind;
            runningRequest_ = request;
            progress_ = {};
            emit waitingChanged();
            emit requestStarted();
        });
        workers::MainThreadStep finish = work(request);
        onMainThread([this, finish = std::move(finish)] {
            running_ = false;
            finish();
            emit requestFinished();
        });
    });
}

void LibraryQueue::onMainThread(std::function<void()> step) {
    worker_.onMainThread(std::move(step));
}

std::shared_ptr<LibraryQueue::Answer> LibraryQueue::openQuestion() {
    const std::lock_guard lock(questionMutex_);
    if (stopping_) return nullptr;
    question_ = std::make_shared<Answer>();
    return question_;
}

void LibraryQueue::cancelFollowed() {
    if (followed()) cancelledRequest_ = runningRequest_;
}

void LibraryQueue::stop() {
    // Dropped before the running install is answered: once answered it may
    // end at once, and the worker would take the next request.
    worker_.dropWaiting();
    {
        const std::lock_guard lock(questionMutex_);
        stopping_ = true;
        if (question_) question_->give(false);
    }
    if (lastStarted_ == lastRequest_) return;
    lastStarted_ = lastRequest_;
    waitingTitles_.clear();
    emit waitingChanged();
}
