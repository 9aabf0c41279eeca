#include "fsutil/trashCopy.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/fileCopy.h"
#include "fsutil/folderFlags.h"
#include "fsutil/ownFolders.h"
#include "fsutil/runCopy.h"
#include "fsutil/treeRemoval.h"
#include "fsutil/visibleEntries.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr std::string_view kTemporaryPrefix = ".copying.";
constexpr int kMaxTemporaryAttempts = 100;
// Above every errno Linux defines.
constexpr int kLastErrno = 200;

std::string pathOf(const EntryPlace& place) {
    return place.folderPath + "/" + place.name;
}

struct LocaleFree {
    void operator()(locale_t locale) const { freelocale(locale); }
};
using Locale = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFree>;

// The errno whose message is cp's reason, in English or in the session's
// language (cp's own); EIO when none is.
int errnoNamed(const std::string& reason) {
    const Locale english(newlocale(LC_ALL_MASK, "C", nullptr));
    const Locale session(newlocale(LC_ALL_MASK, "", nullptr));
    for (int error = 1; error <= kLastErrno; ++error)
        if ((english && reason == strerror_l(error, english.get())) ||
            (session && reason == strerror_l(error, session.get())))
            return error;
    return EIO;
}

int copyLink(const EntryPlace& from, int toFolder, const std::string& toName) {
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t length = readlinkat(from.folder, from.name.c_str(), target.data(), PATH_MAX);
    if (length < 0) return errno;
    target[static_cast<size_t>(length)] = '\0';
    return symlinkat(target.data(), toFolder, toName.c_str()) == 0 ? 0 : errno;
}

int copyFile(const EntryPlace& from, mode_t mode, int toFolder, const std::string& toName) {
    UniqueFd source(openat(from.folder, from.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!source) return errno;
    UniqueFd copy(openat(toFolder, toName.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!copy) return errno;
    if (int error = copyFileBytes(source.get(), copy.get())) return error;
    // The mode is set after the bytes are in, so a read-only file can be written.
    if (fchmod(copy.get(), mode & 07777) != 0) return errno;
    return close(copy.release()) == 0 ? 0 : errno;
}

int copyTree(const EntryPlace& from, const std::string& destination) {
    const CopyOutcome outcome = copyTreeWithCp(pathOf(from), destination);
    return outcome.copied ? 0 : errnoNamed(outcome.reason);
}

// A new hidden folder named after `name` in `folder`.
int makeTemporaryFolder(int folder, const std::string& name, std::string& temporary) {
    for (int attempt = 1; attempt <= kMaxTemporaryAttempts; ++attempt) {
        temporary = std::string(kTemporaryPrefix) + std::to_string(attempt) + "." +
                    name.substr(0, NAME_MAX / 2);
        if (mkdirat(folder, temporary.c_str(), kPrivateFolder) == 0) return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

}  // namespace

int copyEntryAs(const EntryPlace& from, const EntryPlace& to) {
    struct stat st;
    if (fstatat(from.folder, from.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    std::string temporaryName;
    if (int error = makeTemporaryFolder(to.folder, to.name, temporaryName)) return error;
    const std::string temporaryPath = to.folderPath + "/" + temporaryName;
    int error = 0;
    UniqueFd temporary(openat(to.folder, temporaryName.c_str(), folderFlags::placeNoLink));
    if (!temporary)
        error = errno;
    else if (S_ISLNK(st.st_mode))
        error = copyLink(from, temporary.get(), to.name);
    else if (S_ISREG(st.st_mode))
        error = copyFile(from, st.st_mode, temporary.get(), to.name);
    else
        error = copyTree(from, temporaryPath + "/" + to.name);
    if (!error)
        error = renameNoReplace(temporary.get(), to.name.c_str(), to.folder, to.name.c_str());
    removeTree(temporaryPath, RemovalMode::asOwner);
    return error;
}

void removeUnfinishedCopies(int filesFolder, const std::string& filesPath) {
    std::vector<std::string> unfinished;
    forEachEntry(filesPath, [&unfinished](std::string_view name, EntryKind) {
        if (name.starts_with(kTemporaryPrefix)) unfinished.emplace_back(name);
    });
    for (const std::string& name : unfinished) {
        struct stat st;
        // Only a folder of ours: never through a link that took the name.
        if (fstatat(filesFolder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(st.st_mode))
            removeTree(filesPath + "/" + name, RemovalMode::asOwner);
    }
}
