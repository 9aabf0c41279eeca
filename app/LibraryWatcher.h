#pragma once

// Watches folders of the library for entries made, removed or renamed by
// anyone (a file manager, the audio host, another importer) and reports
// them gathered: the changes of a short while after the first one, such as
// an install staging and renaming its folder, end in one report.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <cstdint>
#include <future>
#include <map>

#include "app/StepInbox.h"

class LibraryWatcher : public QObject {
    Q_OBJECT
public:
    // Each of `folders` is watched by its path: a watch stays with the folder
    // it was set on, so a folder renamed away, removed or made again is
    // unwatched and whatever folder is at the path now is watched instead.
    // The nearest existing folder above each (for the library folder, the
    // audio host's folder) is watched too, so that such changes are seen at
    // all. A folder of `folders` that appears, goes or is another one counts
    // as a change. The watch is set up on a thread of its own: for a folder of
    // thousands of entries it costs the kernel a walk over them all.
    explicit LibraryWatcher(const QStringList& folders, QObject* parent = nullptr);
    ~LibraryWatcher() override;

    // Returns once the folders that existed when the watcher was made are
    // watched.
    void waitUntilWatching();

signals:
    // Emitted on the watcher's own thread: connect it with a receiver that
    // lives on the thread meant to handle it.
    void changed();

private:
    // Which folder a path leads to, as stat tells it.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity&) const = default;
    };

    // On thread_: sets the watches on what is at the paths now; true when a
    // folder of folders_ appeared, went or is another one.
    bool followFolders();
    // Follows the folders, then reports a change when there was one.
    void followAndReport(bool folderChanged);

    QStringList folders_;
    QThread thread_;
    // Live on thread_, which deletes them when it finishes.
    QFileSystemWatcher* watcher_;
    StepInbox* watcherThread_;
    // The watched paths and the folder each led to when it was watched; only
    // thread_ touches it.
    std::map<QString, Identity> watched_;
    // Whether an entry of one of folders_ changed since the gathering began.
    bool folderChanged_ = false;
    std::promise<void> watchingSet_;
    std::future<void> watching_;
    QTimer gathering_;
};
