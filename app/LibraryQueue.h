#pragma once

// The window's library worker: installs, exports, deletes and undos run one
// at a time, in the order they were asked for, on a thread of their own, so
// the window keeps repainting and answering while a patch of gigabytes is
// copied. What each request ends with runs on the main thread. The running
// install or export can be followed and cancelled; the requests waiting
// behind it are counted.

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "app/WorkerThread.h"
#include "app/workers.h"

class LibraryQueue : public QObject, public workers::LibraryWorker {
    Q_OBJECT
public:
    // Where the running install or export is, as last reported by it.
    struct Progress {
        std::size_t item = 0;  // counted from 0
        std::size_t items = 0;
        QString name;
        TreeSize copied;
        // No bytes when unknown (an archive is extracted without a total),
        // no files when not counted (an archive).
        TreeSize toCopy;
        // Another importer holds the library, and the install waits for it.
        bool waitingForLibrary = false;
    };

    explicit LibraryQueue(QObject* parent = nullptr);
    // Stops, then waits for the worker: the request it runs may still be
    // finishing its current step.
    ~LibraryQueue() override;

    void install(workers::LibraryInstall install, workers::ReplaceQuestion ask) override;
    void write(workers::LibraryWrite write, std::string title) override;
    void exportArchive(workers::LibraryExport work) override;

    // A request runs or waits.
    bool busy() const { return running_ || waiting() > 0; }
    // An install or an export runs, which reports its progress and can be cancelled.
    bool followed() const { return running_ && runningKind_ != Kind::write; }
    bool exporting() const { return running_ && runningKind_ == Kind::exportArchive; }
    // Requests asked for and not started yet.
    int waiting() const { return static_cast<int>(lastRequest_ - lastStarted_); }
    // The title of the first write waiting that has one ("Delete “Echo”").
    QString waitingTitle() const;
    const Progress& progress() const { return progress_; }

    // Stops the running install or export: the item being copied leaves
    // nothing, the items after it are not started. The requests waiting
    // still run.
    void cancelFollowed();
    // Before the window goes, without waiting for the worker: the running
    // install is cancelled (a question it waits on is answered "keep"), the
    // requests waiting are dropped, and later ones are not taken.
    void stop();

signals:
    void requestStarted();
    void progressed();
    void waitingChanged();
    void requestFinished();

private:
    class Watcher;
    class Answer;
    enum class Kind { write, install, exportArchive };
    // A request's work, told its number.
    using Work = std::function<workers::MainThreadStep(std::uint64_t request)>;

    void enqueue(Kind kind, Work work, QString title = {});
    void onMainThread(std::function<void()> step);
    // The answer the running install is to wait for, or null once stopping.
    std::shared_ptr<Answer> openQuestion();

    // Read by the installing thread.
    std::atomic<std::uint64_t> cancelledRequest_{0};
    std::atomic<bool> stopping_{false};
    // The question the running install waits on; stopping answers it.
    std::mutex questionMutex_;
    std::shared_ptr<Answer> question_;
    // Kept on the main thread, from what the worker reports. Requests are
    // numbered in the order asked; those up to lastStarted_ started or were
    // dropped, so the count waiting never goes below zero.
    std::uint64_t lastRequest_ = 0;
    std::uint64_t lastStarted_ = 0;
    bool running_ = false;
    Kind runningKind_ = Kind::write;
    std::uint64_t runningRequest_ = 0;
    // The titles of the writes waiting, by request number.
    std::map<std::uint64_t, QString> waitingTitles_;
    Progress progress_;
    // The requests run one at a time, first asked first. Last: it goes
    // first, while what the running request reaches is still there.
    WorkerThread worker_;
};
