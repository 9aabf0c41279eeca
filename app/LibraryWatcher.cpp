#include "app/LibraryWatcher.h"

#include <QFileInfo>

namespace {
// Long enough to gather the steps of one install or delete, short enough
// that a change shows well within a second.
constexpr int kGatheringMilliseconds = 200;
}  // namespace

LibraryWatcher::LibraryWatcher(const QStringList& folders, QObject* parent)
    : QObject(parent), folders_(folders) {
    gathering_.setSingleShot(true);
    gathering_.setInterval(kGatheringMilliseconds);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!gathering_.isActive()) gathering_.start();
    });
    connect(&gathering_, &QTimer::timeout, this, [this] {
        watchExistingFolders();
        emit changed();
    });
    watchExistingFolders();
}

void LibraryWatcher::watchExistingFolders() {
    const QStringList watched = watcher_.directories();
    for (const QString& folder : folders_) {
        if (!watched.contains(folder) && QFileInfo(folder).isDir()) watcher_.addPath(folder);
    }
}
