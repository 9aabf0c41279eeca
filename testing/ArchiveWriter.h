#pragma once

// Test archives from libarchive's writer: any entry a hostile archive may hold.

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

// Format from the extension; `options` are libarchive's (zip encryption: passphrase "secret").
void writeArchive(const std::string& path, const std::vector<ArchiveEntry>& entries,
                  const char* options = "");

}  // namespace testing_support
