#include "app/LibraryWatcher.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <optional>
#include <utility>

namespace {
// Long enough to gather the steps of one install or delete, short enough
// that a change shows well within a second.
constexpr int kGatheringMilliseconds = 200;
}  // namespace

LibraryWatcher::LibraryWatcher(const QStringList& folders, QObject* parent)
    : QObject(parent),
      folders_(folders),
      watcher_(new QFileSystemWatcher),
      watcherThread_(new StepInbox) {
    gathering_.setSingleShot(true);
    gathering_.setInterval(kGatheringMilliseconds);
    for (QObject* onThread : std::initializer_list<QObject*>{watcher_, watcherThread_}) {
        onThread->moveToThread(&thread_);
        connect(&thread_, &QThread::finished, onThread, &QObject::deleteLater);
    }
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& path) {
        folderChanged_ = folderChanged_ || folders_.contains(path);
        if (!gathering_.isActive()) gathering_.start();
    });
    connect(&gathering_, &QTimer::timeout, this,
            [this] { followAndReport(std::exchange(folderChanged_, false)); });
    watching_ = watchingSet_.get_future();
    // Run by the thread as it starts, before anything is posted to it.
    connect(
        &thread_, &QThread::started, watcher_,
        [this] {
            followFolders();
            watchingSet_.set_value();
        },
        Qt::DirectConnection);
    thread_.setObjectName("LibraryWatcher");
    thread_.start();
}

LibraryWatcher::~LibraryWatcher() {
    thread_.quit();
    thread_.wait();
}

void LibraryWatcher::waitUntilWatching() {
    if (watching_.valid()) watching_.get();
}

void LibraryWatcher::followAndReport(bool folderChanged) {
    watcherThread_->send([this, folderChanged] {
        // Reported once the watches are set, so that the list read on the
        // report misses no later change. Emitted on the watcher's thread:
        // Qt queues it to each receiver's own thread.
        if (followFolders() || folderChanged) emit changed();
    });
}

bool LibraryWatcher::followFolders() {
    const auto identityOf = [](const QString& path) -> std::optional<Identity> {
        struct stat status {};
        if (stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return std::nullopt;
        return Identity{status.st_dev, status.st_ino};
    };
    // Read before the watches are set: a folder replaced meanwhile differs
    // at the next change, which the folder above it reports.
    std::map<QString, std::optional<Identity>> wanted;
    for (const QString& folder : folders_) {
        wanted.emplace(folder, identityOf(folder));
        QString above = folder;
        std::optional<Identity> aboveIdentity;
        do {
            above = QFileInfo(above).path();
            aboveIdentity = identityOf(above);
        } while (!aboveIdentity && above != "/");
        wanted.emplace(above, aboveIdentity);
    }

    bool folderChanged = false;
    const QStringList kernelWatched = watcher_->directories();
    for (auto entry = watched_.begin(); entry != watched_.end();) {
        const auto now = wanted.find(entry->first);
        // The watcher drops a folder that was removed by itself.
        if (now != wanted.end() && now->second == entry->second &&
            kernelWatched.contains(entry->first)) {
            ++entry;
            continue;
        }
        watcher_->removePath(entry->first);
        folderChanged = folderChanged || folders_.contains(entry->first);
        entry = watched_.erase(entry);
    }
    for (const auto& [path, identity] : wanted) {
        if (!identity || watched_.contains(path) || !watcher_->addPath(path)) continue;
        watched_.emplace(path, *identity);
        folderChanged = folderChanged || folders_.contains(path);
    }
    return folderChanged;
}
