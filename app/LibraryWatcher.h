#pragma once

// Watches folders of the library for entries made, removed or renamed by
// anyone (a file manager, the audio host, another importer) and reports
// them gathered: the changes of a short while after the first one, such as
// an install staging and renaming its folder, end in one report.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

class LibraryWatcher : public QObject {
    Q_OBJECT
public:
    // `folders` are watched while they exist; one that is removed and made
    // again is watched again once its parent reports it.
    explicit LibraryWatcher(const QStringList& folders, QObject* parent = nullptr);

signals:
    void changed();

private:
    void watchExistingFolders();

    QStringList folders_;
    QFileSystemWatcher watcher_;
    QTimer gathering_;
};
