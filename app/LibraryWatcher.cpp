#include "app/LibraryWatcher.h"

#include <QFileInfo>

namespace {
// Long enough to gather the steps of one install or delete, short enough
// that a change shows well within a second.
constexpr int kGatheringMilliseconds = 200;
}  // namespace

LibraryWatcher::LibraryWatcher(const QStringList& folders, QObject* parent)
    : QObject(parent), folders_(folders), watcher_(new QFileSystemWatcher) {
    gathering_.setSingleShot(true);
    gathering_.setInterval(kGatheringMilliseconds);
    watcher_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, watcher_, &QObject::deleteLater);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!gathering_.isActive()) gathering_.start();
    });
    connect(&gathering_, &QTimer::timeout, this, [this] {
        watchExistingFolders();
        emit changed();
    });
    thread_.setObjectName("LibraryWatcher");
    thread_.start();
    std::promise<void> watching;
    watching_ = watching.get_future();
    watchExistingFolders(std::move(watching));
}

LibraryWatcher::~LibraryWatcher() {
    thread_.quit();
    thread_.wait();
}

void LibraryWatcher::waitUntilWatching() {
    if (watching_.valid()) watching_.get();
}

void LibraryWatcher::watchExistingFolders(std::promise<void> watching) {
    QMetaObject::invokeMethod(watcher_, [watcher = watcher_, folders = folders_,
                                         watching = std::move(watching)]() mutable {
        const QStringList watched = watcher->directories();
        for (const QString& folder : folders) {
            if (!watched.contains(folder) && QFileInfo(folder).isDir()) watcher->addPath(folder);
        }
        watching.set_value();
    });
}
