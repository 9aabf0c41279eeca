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
// The running importer answers only between the things it does, and an
// installation it is busy with may copy large folders.
constexpr int kAnswerMs = 30000;
const QByteArray kTaken = "1";
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
    return socket.read(kTaken.size()) == kTaken ? Start::handedOver : Start::notAnswered;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(*socket); });
    }
}

void SingleInstance::readRequest(QLocalSocket& socket) {
    QDataStream in(&socket);
    const std::optional<std::vector<std::string>> paths = readOpenRequest(in);
    if (!paths) return;  // the rest is still on its way
    // Answered before the paths are installed, so the later start ends at once.
    socket.write(kTaken);
    socket.flush();
    socket.disconnectFromServer();
    emit openRequested(*paths);
}
