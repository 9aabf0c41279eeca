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
#include <future>

class LibraryWatcher : public QObject {
    Q_OBJECT
public:
    // `folders` are watched while they exist; one that is removed and made
    // again is watched again once its parent reports it. The watch is set up
    // on a thread of its own: for a folder of thousands of entries it costs
    // the kernel a walk over them all.
    explicit LibraryWatcher(const QStringList& folders, QObject* parent = nullptr);
    ~LibraryWatcher() override;

    // Returns once the folders that existed when the watcher was made are
    // watched.
    void waitUntilWatching();

signals:
    void changed();

private:
    void watchExistingFolders(std::promise<void> watching = {});

    QStringList folders_;
    QThread thread_;
    // Lives on thread_, which deletes it when it finishes.
    QFileSystemWatcher* watcher_;
    std::future<void> watching_;
    QTimer gathering_;
};
