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
// Making a file costs more than its bytes: on the bar each file copied
// counts as this many bytes besides its own, so that a folder of thousands
// of small files moves steadily instead of standing at its last few bytes.
// About what cp takes: some 100 µs a small file against 0.8 GB/s of bytes
// on a local ext4 disk.
constexpr double kBytesPerFile = 64 * 1024;
// How much of the item is copied, from 0 to 1, with its files weighed in; -1
// when there is no total to go by.
double shareCopied(const LibraryQueue::Progress& progress) {
    const auto weight = [](const TreeSize& size, std::uint64_t files) {
        return double(size.bytes) + double(files) * kBytesPerFile;
    };
    const double total = weight(progress.toCopy, progress.toCopy.files);
    if (total == 0) return -1;
    return std::min(
        weight(progress.copied, std::min(progress.copied.files, progress.toCopy.files)) / total,
        1.0);
}

// "1.2 MB of 2.4 MB, 120 of 400 files": files are told for a folder of several.
QString amountText(const LibraryQueue::Progress& progress) {
    const QLocale locale;
    const QString copied = locale.formattedDataSize(qint64(progress.copied.bytes));
    const QString bytes =
        progress.toCopy.bytes == 0
            ? InstallProgress::tr("%1 so far").arg(copied)
            : InstallProgress::tr("%1 of %2")
                  .arg(copied, locale.formattedDataSize(qint64(progress.toCopy.bytes)));
    if (progress.toCopy.files < 2) return bytes;
    const std::uint64_t filesCopied = std::min(progress.copied.files, progress.toCopy.files);
    return InstallProgress::tr("%1, %2 of %3 files")
        .arg(bytes, locale.toString(qulonglong(filesCopied)),
             locale.toString(qulonglong(progress.toCopy.files)));
}

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
    // One bar for the whole request: each item takes its share, filled as
    // its bytes and files are copied.
    const double itemDone = shareCopied(progress);
    if (progress.items == 0 || (progress.items == 1 && itemDone < 0)) {
        // No total to go by: the bar only shows that work goes on.
        widgets_.bar->setRange(0, 0);
    } else {
        widgets_.bar->setRange(0, kBarSteps);
        widgets_.bar->setValue(int((double(progress.item) + std::max(itemDone, 0.0)) /
                                   double(progress.items) * kBarSteps));
    }
    widgets_.bytes->setText(progress.items == 0 ? QString() : amountText(progress));
}

void InstallProgress::showWaiting() {
    const int waiting = queue_.waiting();
    const QString next = queue_.waitingTitle();
    if (waiting == 0)
        widgets_.waiting->clear();
    else if (next.isEmpty())
        widgets_.waiting->setText(tr("%n more waiting", nullptr, waiting));
    else if (waiting == 1)
        widgets_.waiting->setText(tr("%1 after the install").arg(next));
    else
        widgets_.waiting->setText(tr("%1 and %n more waiting", nullptr, waiting - 1).arg(next));
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
