#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/openRequestMessage.h"

namespace {
constexpr int kConnectMs = 2000;
// The running importer answers at once (it installs off its window's
// thread); this only bounds a wait for one that hangs.
constexpr int kAnswerMs = 30000;
// The hand-over is settled in three steps, so that both sides agree on
// whether the paths were handed over: the later start sends its request, the
// running importer answers that it takes it, the later start confirms, and
// only a confirmed request is installed. A later start that gave up before
// the answer sends no confirmation, reports the failure, and nothing of its
// request is installed.
const QByteArray kTaken = "1";
const QByteArray kConfirmed = "2";
}  // namespace

SingleInstance::SingleInstance(const std::string& libraryFolder)
    : name_(serverName(libraryFolder)) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

QString SingleInstance::serverName(const std::string& libraryFolder) {
    // Qt hands out the runtime folder only when it belongs to this user and no
    // one else may enter it, so no other user can listen in this socket's place.
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtimeDir.isEmpty()) return {};
    const QByteArray folderKey = QCryptographicHash::hash(QByteArray::fromStdString(libraryFolder),
                                                          QCryptographicHash::Sha256)
                                     .toHex()
                                     .left(16);
    return runtimeDir + "/veltrano-importer-" + QString::fromLatin1(folderKey);
}

SingleInstance::Start SingleInstance::handOverOrListen(const std::vector<std::string>& paths) {
    if (name_.isEmpty()) return Start::first;
    // Looking for a running importer and taking its place is one step under
    // the lock: of two starts at the same moment one listens and the other
    // finds it, and a socket left by a crash is never removed after another
    // start has put a live one there.
    QLockFile lock(name_ + ".lock");
    if (!lock.lock()) return Start::first;
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (socket.waitForConnected(kConnectMs)) {
        lock.unlock();
        return handOver(socket, paths);
    }
    // A connection still pending means an importer that listens but is too
    // busy to accept it.
    if (socket.state() == QLocalSocket::ConnectingState) return Start::notAnswered;
    // Nobody listens: a socket file left here is from an importer that ended
    // without removing it. Should listening fail, this importer runs alone.
    QLocalServer::removeServer(name_);
    server_.listen(name_);
    return Start::first;
}

SingleInstance::Start SingleInstance::handOver(QLocalSocket& socket,
                                               const std::vector<std::string>& paths) {
    std::error_code noWorkingDir;
    const std::filesystem::path workingDir = std::filesystem::current_path(noWorkingDir);
    socket.write(encodeOpenRequest(paths, workingDir.native()));
    socket.flush();
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(kAnswerMs)) return Start::notAnswered;
    }
    if (socket.read(kTaken.size()) != kTaken) return Start::notAnswered;
    socket.write(kConfirmed);
    if (!socket.waitForBytesWritten(kConnectMs) && socket.bytesToWrite() > 0)
        return Start::notAnswered;
    socket.disconnectFromServer();
    return Start::handedOver;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        // A request whose sender went before confirming is dropped.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            pending_.erase(socket);
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(*socket); });
    }
}

void SingleInstance::readRequest(QLocalSocket& socket) {
    auto pending = pending_.find(&socket);
    if (pending == pending_.end()) {
        QDataStream in(&socket);
        std::optional<std::vector<std::string>> paths = readOpenRequest(in);
        if (!paths) return;  // the rest is still on its way
        pending = pending_.emplace(&socket, std::move(*paths)).first;
        // Answered at once, before anything is installed.
        socket.write(kTaken);
        socket.flush();
    }
    if (socket.bytesAvailable() < kConfirmed.size()) return;
    const std::vector<std::string> paths = std::move(pending->second);
    pending_.erase(pending);
    const bool confirmed = socket.read(kConfirmed.size()) == kConfirmed;
    socket.disconnectFromServer();
    if (confirmed) emit openRequested(paths);
}
