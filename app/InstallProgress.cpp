#include "app/InstallProgress.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/LibraryQueue.h"

namespace {
// Installs shorter than this show only the busy cursor.
constexpr int kShowAfterMs = 500;
constexpr int kBarSteps = 1000;
}  // namespace

InstallProgress::InstallProgress(LibraryQueue& queue, const Widgets& widgets, QObject* parent)
    : QObject(parent), queue_(queue), widgets_(widgets) {
    widgets_.pane->hide();
    // The line under the bar keeps its height while empty, so that the pane
    // does not grow when requests begin to wait.
    widgets_.waiting->setMinimumHeight(widgets_.waiting->fontMetrics().height());
    showAfter_.setSingleShot(true);
    showAfter_.setInterval(kShowAfterMs);
    connect(&showAfter_, &QTimer::timeout, this, [this] {
        if (queue_.followed()) showPane();
    });
    connect(&queue_, &LibraryQueue::requestStarted, this, &InstallProgress::requestStarted);
    connect(&queue_, &LibraryQueue::requestFinished, this, &InstallProgress::requestFinished);
    connect(&queue_, &LibraryQueue::progressed, this, [this] {
        if (widgets_.pane->isVisible()) showProgress();
    });
    connect(&queue_, &LibraryQueue::waitingChanged, this, &InstallProgress::showWaiting);
    connect(widgets_.cancel, &QPushButton::clicked, this, [this] {
        queue_.cancelFollowed();
        widgets_.cancel->setEnabled(false);
    });
}

InstallProgress::~InstallProgress() {
    setBusyCursor(false);
}

void InstallProgress::requestStarted() {
    widgets_.cancel->setEnabled(true);
    if (!queue_.followed()) {
        // A delete or an undo: quick, and it cannot be cancelled.
        showAfter_.stop();
        widgets_.pane->hide();
        setBusyCursor(true);
    } else if (widgets_.pane->isVisible()) {
        showProgress();
    } else {
        setBusyCursor(true);
        showAfter_.start();
    }
}

void InstallProgress::requestFinished() {
    if (queue_.busy()) return;  // the next request takes over
    showAfter_.stop();
    widgets_.pane->hide();
    setBusyCursor(false);
}

void InstallProgress::showPane() {
    setBusyCursor(false);
    showProgress();
    showWaiting();
    widgets_.pane->show();
}

void InstallProgress::showProgress() {
    const LibraryQueue::Progress& progress = queue_.progress();
    const QLocale locale;
    const bool exporting = queue_.exporting();
    if (progress.items == 0) {
        widgets_.text->setText(progress.waitingForLibrary
                                   ? tr("Waiting for another importer to finish…")
                               : exporting ? tr("Exporting…")
                                           : tr("Installing…"));
    } else if (progress.items == 1) {
        widgets_.text->setText(exporting ? tr("Exporting “%1”").arg(progress.name)
                                         : tr("Installing “%1”").arg(progress.name));
    } else {
        widgets_.text->setText((exporting ? tr("Exporting “%1”, %2 of %3 patches done")
                                          : tr("Installing “%1”, %2 of %3 items done"))
                                   .arg(progress.name, locale.toString(qulonglong(progress.item)),
                                        locale.toString(qulonglong(progress.items))));
    }
    const QString copied = locale.formattedDataSize(qint64(progress.bytesCopied));
    // One bar for the whole request: each item takes its share, filled as
    // its bytes are copied.
    const double itemDone =
        progress.bytesToCopy == 0
            ? 0.0
            : std::min(double(progress.bytesCopied) / double(progress.bytesToCopy), 1.0);
    if (progress.items == 0 || (progress.items == 1 && progress.bytesToCopy == 0)) {
        // No total to go by: the bar only shows that work goes on.
        widgets_.bar->setRange(0, 0);
    } else {
        widgets_.bar->setRange(0, kBarSteps);
        widgets_.bar->setValue(
            int((double(progress.item) + itemDone) / double(progress.items) * kBarSteps));
    }
    if (progress.items == 0)
        widgets_.bytes->clear();
    else if (progress.bytesToCopy == 0)
        widgets_.bytes->setText(tr("%1 so far").arg(copied));
    else
        widgets_.bytes->setText(
            tr("%1 of %2").arg(copied, locale.formattedDataSize(qint64(progress.bytesToCopy))));
}

void InstallProgress::showWaiting() {
    const int waiting = queue_.waiting();
    const QString next = queue_.waitingTitle();
    if (waiting == 0)
        widgets_.waiting->clear();
    else if (next.isEmpty())
        widgets_.waiting->setText(tr("%1 more waiting").arg(waiting));
    else if (waiting == 1)
        widgets_.waiting->setText(tr("%1 after the install").arg(next));
    else
        widgets_.waiting->setText(tr("%1 and %2 more waiting").arg(next).arg(waiting - 1));
}

void InstallProgress::setBusyCursor(bool busy) {
    if (busy == busyCursor_) return;
    busyCursor_ = busy;
    // The busy cursor, not the wait cursor: the window still answers.
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}
