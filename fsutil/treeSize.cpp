#include "fsutil/treeSize.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

TreeSize treeSize(const std::string& path) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        const std::uintmax_t bytes = fs::file_size(path, error);
        return error ? TreeSize{} : TreeSize{bytes, 1};
    }
    TreeSize size;
    fs::recursive_directory_iterator entries(path, fs::directory_options::skip_permission_denied,
                                             error);
    for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        std::error_code unreadable;
        if (entries->symlink_status(unreadable).type() == fs::file_type::regular) {
            // Counted while the walk is there anyway: no call of its own.
            ++size.files;
            const std::uintmax_t bytes = entries->file_size(unreadable);
            if (!unreadable) size.bytes += bytes;
        }
    }
    return size;
}
