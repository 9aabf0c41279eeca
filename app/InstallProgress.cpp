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
    showAfter_.setSingleShot(true);
    showAfter_.setInterval(kShowAfterMs);
    connect(&showAfter_, &QTimer::timeout, this, [this] {
        if (queue_.installing()) showPane();
    });
    connect(&queue_, &LibraryQueue::requestStarted, this, &InstallProgress::requestStarted);
    connect(&queue_, &LibraryQueue::requestFinished, this, &InstallProgress::requestFinished);
    connect(&queue_, &LibraryQueue::progressed, this, [this] {
        if (widgets_.pane->isVisible()) showProgress();
    });
    connect(&queue_, &LibraryQueue::waitingChanged, this, &InstallProgress::showWaiting);
    connect(widgets_.cancel, &QPushButton::clicked, this, [this] {
        queue_.cancelInstall();
        widgets_.cancel->setEnabled(false);
    });
}

InstallProgress::~InstallProgress() {
    setBusyCursor(false);
}

void InstallProgress::requestStarted() {
    widgets_.cancel->setEnabled(true);
    if (!queue_.installing()) {
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
    if (progress.items == 0) {
        widgets_.text->setText(progress.waitingForLibrary
                                   ? tr("Waiting for another importer to finish…")
                                   : tr("Installing…"));
    } else if (progress.items == 1) {
        widgets_.text->setText(tr("Installing “%1”").arg(progress.name));
    } else {
        widgets_.text->setText(tr("Installing “%1”, %2 of %3 items done")
                                   .arg(progress.name, locale.toString(qulonglong(progress.item)),
                                        locale.toString(qulonglong(progress.items))));
    }
    const QString copied = locale.formattedDataSize(qint64(progress.bytesCopied));
    if (progress.bytesToCopy == 0) {
        // No total to go by: the bar only shows that work goes on.
        widgets_.bar->setRange(0, 0);
        widgets_.bytes->setText(progress.items == 0 ? QString() : tr("%1 so far").arg(copied));
        return;
    }
    widgets_.bar->setRange(0, kBarSteps);
    const double done = double(progress.bytesCopied) / double(progress.bytesToCopy);
    widgets_.bar->setValue(int(std::min(done, 1.0) * kBarSteps));
    widgets_.bytes->setText(
        tr("%1 of %2").arg(copied, locale.formattedDataSize(qint64(progress.bytesToCopy))));
}

void InstallProgress::showWaiting() {
    const int waiting = queue_.waiting();
    widgets_.waiting->setText(waiting > 0 ? tr("%1 more waiting").arg(waiting) : QString());
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
