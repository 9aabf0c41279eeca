#include "app/DesktopWorkspace.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace {
QString localName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

void openFolderOf(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}
}  // namespace

DesktopWorkspace::DesktopWorkspace(QObject* parent) : QObject(parent) {}

std::string DesktopWorkspace::openFile(const std::string& path) {
    const QFileInfo file(localName(path));
    if (!file.isFile())
        return tr("there is no main patch file “%1”.").arg(file.fileName()).toStdString();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file.filePath())))
        return tr("no program is set to open Pd patches.").toStdString();
    return {};
}

void DesktopWorkspace::selectFiles(const std::vector<std::string>& paths) {
    QStringList uris;
    for (const std::string& path : paths)
        uris << QUrl::fromLocalFile(localName(path)).toString(QUrl::FullyEncoded);
    const QString first = localName(paths.front());
    QDBusMessage showItems = QDBusMessage::createMethodCall(
        "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems");
    showItems << uris << QString();
    // Asked without waiting: a file manager that starts for the call takes
    // its time, and the window keeps answering meanwhile.
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(showItems);
    // Without a session bus the call has failed already, and a watcher of
    // it would never report.
    if (pending.isFinished()) {
        if (pending.isError()) openFolderOf(first);
        return;
    }
    auto* call = new QDBusPendingCallWatcher(pending, this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [first](QDBusPendingCallWatcher* done) {
        if (done->isError()) openFolderOf(first);
        done->deleteLater();
    });
}

void DesktopWorkspace::copyText(const std::string& text) {
    QGuiApplication::clipboard()->setText(localName(text));
}
