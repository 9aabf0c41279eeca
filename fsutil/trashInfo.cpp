#include "fsutil/trashInfo.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/folderEntries.h"
#include "fsutil/folderFlags.h"
#include "fsutil/retryOnInterrupt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr char kImporterMark[] = "X-Veltrano-Importer=1";
// An info file holds three short lines and a path; anything longer is not ours.
constexpr size_t kMaxInfoBytes = 64 * 1024;

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Path= holds bytes, not characters: every byte but the unreserved ASCII ones
// and '/' is written as %XX.
std::string percentEncoded(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : path) {
        if (isUnreserved(c) || c == '/') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

// Reads a regular info file whole; never through a link, never waiting on a pipe.
int readInfoFile(int infoFolder, const std::string& name, std::string& text) {
    UniqueFd file(openat(infoFolder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!file || fstat(file.get(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > kMaxInfoBytes) return EINVAL;
    text.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = retryOnInterrupt(
            [&] { return read(file.get(), text.data() + got, text.size() - got); });
        if (n < 0) return errno;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return 0;
}

bool hasLine(std::string_view text, std::string_view line) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (text.substr(0, end) == line) return true;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

std::string deletionDateNow() {
    std::time_t now = std::time(nullptr);
    struct tm local;
    char date[32] = "";
    if (localtime_r(&now, &local)) std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return date;
}

std::string trashInfoText(const std::string& originalPath, const std::string& date) {
    return "[Trash Info]\nPath=" + percentEncoded(originalPath) + "\nDeletionDate=" + date + "\n" +
           kImporterMark + "\n";
}

int checkInfoFile(int infoFolder, const std::string& name, const std::string& originalPath,
                  const std::string& date) {
    std::string text;
    if (int error = readInfoFile(infoFolder, name, text))
        return error == ENOENT || error == ELOOP || error == EINVAL ? ESTALE : error;
    const bool same = hasLine(text, "Path=" + percentEncoded(originalPath)) &&
                      hasLine(text, "DeletionDate=" + date);
    return same ? 0 : ESTALE;
}

void removeOrphanedInfoFiles(int filesFolder, int infoFolder) {
    const UniqueFd folder(openat(infoFolder, ".", folderFlags::read));
    const std::optional<std::vector<FolderEntry>> entries =
        folder ? folderEntries(folder.get()) : std::nullopt;
    if (!entries) return;
    std::vector<std::string> orphans;
    for (const FolderEntry& entry : *entries) {
        const std::string_view name = entry.name;
        if (name.size() <= kInfoSuffix.size() || !name.ends_with(kInfoSuffix)) continue;
        const std::string item(name.substr(0, name.size() - kInfoSuffix.size()));
        struct stat st;
        if (fstatat(filesFolder, item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
            continue;
        std::string text;
        if (readInfoFile(infoFolder, entry.name, text) == 0 && hasLine(text, kImporterMark))
            orphans.push_back(entry.name);
    }
    for (const std::string& name : orphans) unlinkat(infoFolder, name.c_str(), 0);
}
