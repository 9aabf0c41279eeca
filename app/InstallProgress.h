#pragma once

// Shows what the library worker is doing. An install or an export that takes
// longer than half a second gets a progress pane: the item being installed
// or exported (or that it
// waits for another importer to leave the library), the items done out of
// all, the bytes (and files, for a folder of several) copied out of those to
// copy, how many requests wait behind it, and a Cancel button. Shorter work
// shows only the busy cursor.

#include <QObject>
#include <QTimer>

class LibraryQueue;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

class InstallProgress : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget* pane;
        QLabel* text;
        QLabel* bytes;
        QProgressBar* bar;
        QLabel* waiting;
        QPushButton* cancel;
    };

    InstallProgress(LibraryQueue& queue, const Widgets& widgets, QObject* parent = nullptr);
    ~InstallProgress() override;

private:
    void requestStarted();
    void requestFinished();
    void showPane();
    void showProgress();
    void showWaiting();
    void setBusyCursor(bool busy);

    LibraryQueue& queue_;
    Widgets widgets_;
    QTimer showAfter_;
    bool busyCursor_ = false;
};
