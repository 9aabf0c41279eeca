#include "fsutil/trash.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/mountId.h"
#include "fsutil/ownFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr char kInfoSuffix[] = ".trashinfo";
constexpr size_t kInfoSuffixLength = sizeof kInfoSuffix - 1;
// Gives up on finding a free name after this many items of one name.
constexpr int kMaxNameAttempts = 10000;

struct MallocFree {
    void operator()(char* text) const { std::free(text); }
};
using MallocString = std::unique_ptr<char, MallocFree>;

struct SplitPath {
    std::string folder;
    std::string name;
};

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

SplitPath splitPath(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

int makeAbsolute(std::string& path) {
    if (path.front() == '/') return 0;
    MallocString workingFolder(getcwd(nullptr, 0));
    if (!workingFolder) return errno;
    path = joinPath(workingFolder.get(), path);
    return 0;
}

// The mount a folder that may not exist yet will be on: that of its nearest
// existing ancestor.
int futureMountOf(std::string path, std::uint64_t& mount) {
    while (true) {
        int error = mountIdAt(AT_FDCWD, path.c_str(), 0, mount);
        if (error != ENOENT || path == "/") return error;
        path = splitPath(path).folder;
    }
}

// Opens `name` in `parent` as a folder, never through a link, creating it
// (0700) first when `create`. EXDEV when something else stands there.
int openFolder(int parent, const std::string& name, bool create, UniqueFd& folder,
               struct stat& st) {
    if (create && mkdirat(parent, name.c_str(), kPrivateFolder) != 0 && errno != EEXIST)
        return errno;
    folder.reset(openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) return errno == ENOTDIR || errno == ELOOP ? EXDEV : errno;
    return fstat(folder.get(), &st) == 0 ? 0 : errno;
}

// A trash folder at the top of a mount must be the user's own: anyone may
// create one there.
int openOwnFolder(int parent, const std::string& name, UniqueFd& folder) {
    struct stat st;
    if (int error = openFolder(parent, name, true, folder, st)) return error;
    return st.st_uid == geteuid() ? 0 : EXDEV;
}

// Opens the folder at `path`, creating it and its missing parents (0700).
int openCreatingParents(const std::string& path, UniqueFd& folder) {
    folder.reset(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder) return 0;
    if (errno != ENOENT || path == "/") return errno;
    SplitPath split = splitPath(path);
    UniqueFd parent;
    if (int error = openCreatingParents(split.folder, parent)) return error;
    struct stat st;
    return openFolder(parent.get(), split.name, true, folder, st);
}

struct Trash {
    std::string path;
    UniqueFd files;
    UniqueFd info;
};

int openTrash(const UniqueFd& trashFolder, const std::string& path, Trash& trash) {
    struct stat st;
    int error = openFolder(trashFolder.get(), "files", true, trash.files, st);
    if (!error) error = openFolder(trashFolder.get(), "info", true, trash.info, st);
    trash.path = path;
    return error;
}

// $XDG_DATA_HOME, or its default; empty when there is no home to go by.
std::string dataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return withoutTrailingSlashes(xdg);
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return joinPath(withoutTrailingSlashes(home), ".local/share");
    return {};
}

// The top folder of `mount`, found by going up from `folder`, which is on it.
int topOfMount(const std::string& folder, std::uint64_t mount, std::string& top) {
    MallocString real(realpath(folder.c_str(), nullptr));
    if (!real) return errno;
    top = real.get();
    while (top != "/") {
        std::string parent = splitPath(top).folder;
        std::uint64_t parentMount;
        if (int error = mountIdAt(AT_FDCWD, parent.c_str(), AT_SYMLINK_NOFOLLOW, parentMount))
            return error;
        if (parentMount != mount) break;
        top = std::move(parent);
    }
    return 0;
}

// The trash at the top of the mount: the user's folder in an administrator's
// shared .Trash, which must be sticky so that no user can remove another's;
// else the user's own .Trash-$uid.
int openTopTrash(const std::string& itemFolder, std::uint64_t mount, Trash& trash) {
    std::string top;
    if (int error = topOfMount(itemFolder, mount, top)) return error;
    UniqueFd topFolder(open(top.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!topFolder) return errno;
    const std::string uid = std::to_string(geteuid());
    UniqueFd shared, own;
    struct stat st;
    if (openFolder(topFolder.get(), ".Trash", false, shared, st) == 0 && (st.st_mode & S_ISVTX) &&
        openOwnFolder(shared.get(), uid, own) == 0 &&
        openTrash(own, joinPath(top, ".Trash/" + uid), trash) == 0)
        return 0;
    if (int error = openOwnFolder(topFolder.get(), ".Trash-" + uid, own)) return error;
    return openTrash(own, joinPath(top, ".Trash-" + uid), trash);
}

// The home trash when it is on the item's mount, else the trash of that mount.
int openTrashFor(const std::string& itemFolder, std::uint64_t itemMount, Trash& trash) {
    const std::string home = dataHome();
    std::uint64_t homeMount;
    if (home.empty() || futureMountOf(home + "/Trash", homeMount) != 0 || homeMount != itemMount)
        return openTopTrash(itemFolder, itemMount, trash);
    UniqueFd data, trashFolder;
    struct stat st;
    int error = openCreatingParents(home, data);
    if (!error) error = openFolder(data.get(), "Trash", true, trashFolder, st);
    return error ? error : openTrash(trashFolder, home + "/Trash", trash);
}

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

std::string infoText(const std::string& originalPath) {
    std::time_t now = std::time(nullptr);
    struct tm local;
    char date[32] = "";
    if (localtime_r(&now, &local)) std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncoded(originalPath) + "\nDeletionDate=" + date + "\n";
}

int writeAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        written += static_cast<size_t>(n);
    }
    return 0;
}

// Creates the file `name` in `folder` (EEXIST when it exists) holding `text`,
// on disk once this returns 0; gone again when it fails.
int createFileWith(int folder, const std::string& name, const std::string& text) {
    UniqueFd file(
        openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file) return errno;
    int error = writeAll(file.get(), text);
    if (!error && fsync(file.get()) != 0) error = errno;
    if (error) unlinkat(folder, name.c_str(), 0);
    return error;
}

// Finds a name free in both files/ and info/ ("Echo", "Echo.2", ...) and
// takes it by creating its info file, so no other trashing process can.
int reserveName(const Trash& trash, const std::string& itemName, const std::string& text,
                std::string& name) {
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        std::string suffix = attempt == 1 ? "" : "." + std::to_string(attempt);
        // The info file's name must fit too.
        name = itemName.substr(0, NAME_MAX - kInfoSuffixLength - suffix.size()) + suffix;
        const std::string infoName = name + kInfoSuffix;
        int error = createFileWith(trash.info.get(), infoName, text);
        if (error == EEXIST) continue;
        if (error) return error;
        struct stat st;
        int taken = fstatat(trash.files.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? EEXIST
                                                                                            : errno;
        if (taken == ENOENT) return 0;
        unlinkat(trash.info.get(), infoName.c_str(), 0);
        if (taken != EEXIST) return taken;
    }
    return EEXIST;
}

UniqueFd openFolderOf(const std::string& path, int extraFlags) {
    return UniqueFd(
        open(splitPath(path).folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC | extraFlags));
}

}  // namespace

TrashResult moveToTrash(const std::string& path, const std::string& recordAs) {
    TrashResult result;
    const std::string itemPath = withoutTrailingSlashes(path);
    const SplitPath item = splitPath(itemPath);
    if (item.name.empty() || item.name == "." || item.name == "..") {
        result.error = EINVAL;
        return result;
    }
    std::string original = recordAs.empty() ? itemPath : withoutTrailingSlashes(recordAs);
    if ((result.error = makeAbsolute(original))) return result;

    UniqueFd folder(open(item.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!folder || fstatat(folder.get(), item.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        result.error = errno;
        return result;
    }
    // The rename moves the entry out of its folder, so the folder's mount counts.
    std::uint64_t mount;
    Trash trash;
    std::string name;
    if ((result.error = mountIdAt(folder.get(), "", AT_EMPTY_PATH, mount)) ||
        (result.error = openTrashFor(item.folder, mount, trash)) ||
        (result.error = reserveName(trash, item.name, infoText(original), name)))
        return result;

    const std::string infoName = name + kInfoSuffix;
    if ((result.error =
             renameNoReplace(folder.get(), item.name.c_str(), trash.files.get(), name.c_str()))) {
        unlinkat(trash.info.get(), infoName.c_str(), 0);
        return result;
    }
    result.item = {joinPath(trash.path, "files/" + name), joinPath(trash.path, "info/" + infoName),
                   original};
    return result;
}

int restoreFromTrash(const TrashedItem& item) {
    UniqueFd files = openFolderOf(item.trashedPath, O_NOFOLLOW);
    if (!files) return errno;
    UniqueFd target = openFolderOf(item.originalPath, 0);
    if (!target) return errno;
    if (int error = renameNoReplace(files.get(), splitPath(item.trashedPath).name.c_str(),
                                    target.get(), splitPath(item.originalPath).name.c_str()))
        return error;
    unlink(item.infoPath.c_str());
    return 0;
}

int exchangeWithTrashed(const TrashedItem& item) {
    UniqueFd files = openFolderOf(item.trashedPath, O_NOFOLLOW);
    if (!files) return errno;
    UniqueFd target = openFolderOf(item.originalPath, 0);
    if (!target) return errno;
    UniqueFd infoFolder = openFolderOf(item.infoPath, O_NOFOLLOW);
    if (!infoFolder) return errno;

    // The re-dated info file is on disk before anything moves, so that a
    // failure leaves everything as it was. Its name does not end in
    // .trashinfo, so no file manager takes it for an entry meanwhile.
    const std::string infoName = splitPath(item.infoPath).name;
    const std::string temporary = "." + infoName + ".new";
    unlinkat(infoFolder.get(), temporary.c_str(), 0);  // left by an interrupted exchange
    if (int error = createFileWith(infoFolder.get(), temporary, infoText(item.originalPath)))
        return error;
    if (int error =
            renameOwnFolders(files.get(), splitPath(item.trashedPath).name.c_str(), target.get(),
                             splitPath(item.originalPath).name.c_str(), RENAME_EXCHANGE)) {
        unlinkat(infoFolder.get(), temporary.c_str(), 0);
        return error;
    }
    // Should the new date not take, the entry keeps its old, still valid, info.
    if (renameat(infoFolder.get(), temporary.c_str(), infoFolder.get(), infoName.c_str()) != 0)
        unlinkat(infoFolder.get(), temporary.c_str(), 0);
    return 0;
}
