#pragma once

// One importer window per user and library folder. The first start listens on
// a local socket in the user's private runtime folder; a later start hands its
// paths to it as an open request and ends, and the running importer brings
// its window to the front.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <map>
#include <string>
#include <vector>

class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start {
        // An importer was running and took the paths: this process ends.
        handedOver,
        // One is running but did not take the paths.
        notAnswered,
        // None was running: this process opens the window and, from now on,
        // takes the open requests of later starts.
        first,
    };

    // Importers built for different library folders never meet, so a test
    // build never talks to an installed importer.
    explicit SingleInstance(const std::string& libraryFolder);

    Start handOverOrListen(const std::vector<std::string>& paths);

    // Where the socket lies, or empty when the user has no private runtime
    // folder; without one, every start opens a window of its own.
    static QString serverName(const std::string& libraryFolder);

signals:
    // A later start handed over its paths, absolute; there may be none.
    void openRequested(const std::vector<std::string>& paths);

private:
    Start handOver(QLocalSocket& socket, const std::vector<std::string>& paths);
    void acceptConnections();
    void readRequest(QLocalSocket& socket);

    QString name_;
    QLocalServer server_;
    // Requests taken but not yet confirmed by their sender.
    std::map<QLocalSocket*, std::vector<std::string>> pending_;
};
