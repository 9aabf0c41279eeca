#pragma once

// The message a later start of the importer sends to the one already running:
// the local paths its command line names, as an open request. The running
// importer has another working folder, so relative paths are made absolute
// first. Paths are byte strings: each travels as its bytes with their length,
// whatever it holds.

#include <QByteArray>
#include <QDataStream>
#include <optional>
#include <string>
#include <vector>

// Relative paths are resolved against `workingDir`, unless it is empty.
QByteArray encodeOpenRequest(const std::vector<std::string>& paths, const std::string& workingDir);

// Reads one whole message from `in`. While it has not fully arrived, nothing
// is consumed and the result is empty, so a later call reads it again.
std::optional<std::vector<std::string>> readOpenRequest(QDataStream& in);
