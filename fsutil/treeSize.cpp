#include "fsutil/treeSize.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::uint64_t bytesInTree(const std::string& path) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) return fs::file_size(path, error);
    std::uint64_t bytes = 0;
    fs::recursive_directory_iterator entries(path, fs::directory_options::skip_permission_denied,
                                             error);
    for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        std::error_code unreadable;
        if (entries->symlink_status(unreadable).type() == fs::file_type::regular) {
            const std::uintmax_t size = entries->file_size(unreadable);
            if (!unreadable) bytes += size;
        }
    }
    return bytes;
}
