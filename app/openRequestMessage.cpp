#include "app/openRequestMessage.h"

#include <QIODevice>

namespace {
// Both ends are built from the same sources; the version still fixes the
// format, whatever Qt's default becomes.
constexpr QDataStream::Version kFormat = QDataStream::Qt_6_0;

std::string absolutePath(const std::string& path, const std::string& workingDir) {
    if (workingDir.empty() || path.empty() || path.front() == '/') return path;
    return workingDir + (workingDir.back() == '/' ? "" : "/") + path;
}
}  // namespace

QByteArray encodeOpenRequest(const std::vector<std::string>& paths, const std::string& workingDir) {
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(kFormat);
    out << static_cast<quint32>(paths.size());
    for (const std::string& path : paths)
        out << QByteArray::fromStdString(absolutePath(path, workingDir));
    return message;
}

std::optional<std::vector<std::string>> readOpenRequest(QDataStream& in) {
    in.setVersion(kFormat);
    in.startTransaction();
    quint32 count = 0;
    in >> count;
    // No room is reserved up front: the count is only trusted as far as the
    // bytes that follow bear it out.
    std::vector<std::string> paths;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray path;
        in >> path;
        paths.push_back(path.toStdString());
    }
    if (!in.commitTransaction()) return std::nullopt;
    return paths;
}
