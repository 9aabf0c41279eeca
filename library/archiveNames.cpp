#include "library/archiveNames.h"

#include <array>
#include <string_view>

namespace {

// Longest first, so ".tar.gz" is taken whole rather than as ".gz".
constexpr std::array<std::string_view, 9> kExtensions = {
    ".tar.bz2", ".tar.zst", ".tar.gz", ".tar.xz", ".tbz2", ".zip", ".tar", ".tgz", ".txz"};

std::string_view fileNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = tail[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != suffix[i])
            return false;
    }
    return true;
}

std::size_t extensionLength(std::string_view name) {
    for (std::string_view extension : kExtensions)
        if (endsWithIgnoringCase(name, extension)) return extension.size();
    return 0;
}

}  // namespace

bool isArchiveName(const std::string& path) {
    return extensionLength(fileNameOf(path)) > 0;
}

std::string archiveStem(const std::string& path) {
    const std::string_view name = fileNameOf(path);
    return std::string(name.substr(0, name.size() - extensionLength(name)));
}
