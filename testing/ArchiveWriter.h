#pragma once

// Writes archives for tests with libarchive's writer, so no test needs a
// checked-in binary: any entry a hostile archive could hold can be made.

#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_support {

struct ArchiveEntry {
    enum Kind { file, folder, symlink, hardLink, fifo };
    std::string name;
    std::string data = {};  // content, or a link's target
    Kind kind = file;
    mode_t mode = 0644;
};

// Format and compression follow the name's extension; `options` are
// libarchive's writer options (e.g. "zip:encryption=zipcrypt", with the
// passphrase "secret"). Throws when the archive can't be written.
void writeArchive(const std::string& path, const std::vector<ArchiveEntry>& entries,
                  const char* options = "");

}  // namespace testing_support
