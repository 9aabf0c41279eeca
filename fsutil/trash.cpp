#include "fsutil/trash.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/folderFlags.h"
#include "fsutil/mountId.h"
#include "fsutil/ownFolders.h"
#include "fsutil/retryOnInterrupt.h"
#include "fsutil/trashCopy.h"
#include "fsutil/trashInfo.h"
#include "fsutil/treeRemoval.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    folder.reset(openat(parent, name.c_str(), folderFlags::placeNoLink));
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
    folder.reset(open(path.c_str(), folderFlags::place));
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
    UniqueFd topFolder(open(top.c_str(), folderFlags::place));
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

// The home trash, made when missing.
int openHomeTrash(const std::string& home, Trash& trash) {
    if (home.empty()) return ENOENT;
    UniqueFd data, trashFolder;
    struct stat st;
    int error = openCreatingParents(home, data);
    if (!error) error = openFolder(data.get(), "Trash", true, trashFolder, st);
    return error ? error : openTrash(trashFolder, home + "/Trash", trash);
}

bool isOnMount(const std::string& home, std::uint64_t mount) {
    std::uint64_t homeMount;
    return !home.empty() && futureMountOf(home + "/Trash", homeMount) == 0 && homeMount == mount;
}

int writeAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = retryOnInterrupt(
            [&] { return write(fd, text.data() + written, text.size() - written); });
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

// At most `bytes` of `name`, never ending inside a UTF-8 character (names
// that are not UTF-8 are cut at `bytes`).
std::string fittingName(const std::string& name, size_t bytes) {
    if (name.size() <= bytes) return name;
    constexpr size_t kMaxContinuationBytes = 3;
    size_t cut = bytes;
    while (cut > 0 && bytes - cut < kMaxContinuationBytes && (name[cut] & 0xC0) == 0x80) --cut;
    return name.substr(0, (name[cut] & 0xC0) == 0x80 ? bytes : cut);
}

// Finds a name free in both files/ and info/ ("Echo", "Echo.2", ...) and
// takes it by creating its info file, so no other trashing process can.
int reserveName(const Trash& trash, const std::string& itemName, const std::string& text,
                std::string& name) {
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        std::string suffix = attempt == 1 ? "" : "." + std::to_string(attempt);
        name = fittingName(itemName, NAME_MAX - kInfoSuffixLength - suffix.size()) + suffix;
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
    return UniqueFd(open(splitPath(path).folder.c_str(), folderFlags::place | extraFlags));
}

// The item in `name` of `trash`, and what identifies it there.
void recordTrashed(const Trash& trash, const std::string& name, const std::string& original,
                   const std::string& date, TrashedItem& item) {
    struct stat st {};
    fstatat(trash.files.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    item = {joinPath(trash.path, "files/" + name),
            joinPath(trash.path, "info/" + name + kInfoSuffix),
            original,
            st.st_dev,
            st.st_ino,
            date};
}

// Clears the importer's orphaned info files and unfinished copies from
// `trash`, then reserves a name
// there for the item by writing its info file, dated `date`. The callers hold
// the library lock while they trash, so no other importer is between writing
// an info file and moving its item in now.
int prepareEntry(const Trash& trash, const std::string& itemName, const std::string& original,
                 std::string& name, std::string& date) {
    removeOrphanedInfoFiles(trash.files.get(), trash.info.get());
    removeUnfinishedCopies(trash.files.get(), trash.path + "/files");
    date = deletionDateNow();
    return reserveName(trash, itemName, trashInfoText(original, date), name);
}

// Writes the info file, then moves the entry into the trash with one rename.
int trashByRename(const Trash& trash, const EntryPlace& entry, const std::string& original,
                  TrashedItem& item) {
    std::string name, date;
    if (int error = prepareEntry(trash, entry.name, original, name, date)) return error;
    if (int error =
            renameNoReplace(entry.folder, entry.name.c_str(), trash.files.get(), name.c_str())) {
        unlinkat(trash.info.get(), (name + kInfoSuffix).c_str(), 0);
        return error;
    }
    recordTrashed(trash, name, original, date, item);
    return 0;
}

// Writes the info file, copies the entry into the home trash and then removes
// it. A failed copy leaves nothing behind; should the removal fail, the copy
// stays in the trash, as it may be the only whole one left.
int trashByCopy(const std::string& home, const EntryPlace& entry, const std::string& original,
                TrashedItem& item) {
    Trash trash;
    if (int error = openHomeTrash(home, trash)) return error;
    std::string name, date;
    if (int error = prepareEntry(trash, entry.name, original, name, date)) return error;
    if (int error = copyEntryAs(entry, {trash.files.get(), trash.path + "/files", name})) {
        unlinkat(trash.info.get(), (name + kInfoSuffix).c_str(), 0);
        return error;
    }
    recordTrashed(trash, name, original, date, item);
    struct stat st;
    if (fstatat(entry.folder, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(st.st_mode))
        return removeTree(joinPath(entry.folderPath, entry.name), RemovalMode::asOwner);
    return unlinkat(entry.folder, entry.name.c_str(), 0) == 0 ? 0 : errno;
}

// A trashed entry whose identity was checked, with its two folders open, so
// that what moves next is what was checked.
struct CheckedEntry {
    UniqueFd files;
    UniqueFd info;
    std::string name;
    std::string infoName;
};

int errorOfMissing(int error) {
    return error == ENOENT || error == ENOTDIR ? ESTALE : error;
}

// 0 when the trash still holds the very item it was given, with the info file
// it was given; ESTALE when not.
int checkTrashed(const TrashedItem& item, CheckedEntry& entry) {
    entry.files = openFolderOf(item.trashedPath, O_NOFOLLOW);
    if (!entry.files) return errorOfMissing(errno);
    entry.info = openFolderOf(item.infoPath, O_NOFOLLOW);
    if (!entry.info) return errorOfMissing(errno);
    entry.name = splitPath(item.trashedPath).name;
    entry.infoName = splitPath(item.infoPath).name;
    struct stat st;
    if (fstatat(entry.files.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errorOfMissing(errno);
    if (st.st_dev != item.device || st.st_ino != item.inode) return ESTALE;
    return checkInfoFile(entry.info.get(), entry.infoName, item.originalPath, item.deletionDate);
}

int moveBack(const CheckedEntry& entry, int target, const std::string& targetName) {
    if (int error =
            renameNoReplace(entry.files.get(), entry.name.c_str(), target, targetName.c_str()))
        return error;
    unlinkat(entry.info.get(), entry.infoName.c_str(), 0);
    return 0;
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

    UniqueFd folder(open(item.folder.c_str(), folderFlags::place));
    struct stat st;
    if (!folder || fstatat(folder.get(), item.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        result.error = errno;
        return result;
    }
    const EntryPlace entry = {folder.get(), item.folder, item.name};
    // The rename moves the entry out of its folder, so the folder's mount counts.
    std::uint64_t mount;
    if ((result.error = mountIdAt(folder.get(), "", AT_EMPTY_PATH, mount))) return result;
    const std::string home = dataHome();
    Trash trash;
    if (isOnMount(home, mount)) {
        if (!(result.error = openHomeTrash(home, trash)))
            result.error = trashByRename(trash, entry, original, result.item);
        return result;
    }
    if (!(result.error = openTopTrash(item.folder, mount, trash)) &&
        !(result.error = trashByRename(trash, entry, original, result.item)))
        return result;

    // No trash on the item's mount takes it: the home trash gets a copy,
    // unless the item has gone or could not be removed after all (a
    // read-only mount, a folder the user may not change).
    if (result.error == ENOENT ||
        faccessat(AT_FDCWD, item.folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return result;
    if (!(result.homeTrashError = trashByCopy(home, entry, original, result.item)))
        result.error = 0;
    return result;
}

std::string trashFolderFor(const std::string& folder) {
    std::uint64_t mount;
    std::string top;
    if (mountIdAt(AT_FDCWD, folder.c_str(), 0, mount) != 0) return {};
    const std::string home = dataHome();
    if (isOnMount(home, mount)) return home + "/Trash";
    if (topOfMount(folder, mount, top) != 0) return {};
    const std::string uid = std::to_string(geteuid());
    const std::string shared = joinPath(top, ".Trash");
    struct stat st;
    if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX))
        return shared + "/" + uid;
    return joinPath(top, ".Trash-" + uid);
}

int restoreFromTrash(const TrashedItem& item) {
    CheckedEntry entry;
    if (int error = checkTrashed(item, entry)) return error;
    UniqueFd target = openFolderOf(item.originalPath, 0);
    if (!target) return errno;
    return moveBack(entry, target.get(), splitPath(item.originalPath).name);
}

int exchangeWithTrashed(TrashedItem& item) {
    CheckedEntry entry;
    if (int error = checkTrashed(item, entry)) return error;
    UniqueFd target = openFolderOf(item.originalPath, 0);
    if (!target) return errno;
    const std::string targetName = splitPath(item.originalPath).name;
    struct stat st;
    if (fstatat(target.get(), targetName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? moveBack(entry, target.get(), targetName) : errno;

    // The re-dated info file is on disk before anything moves, so that a
    // failure leaves everything as it was. Its name does not end in
    // .trashinfo, so no file manager takes it for an entry meanwhile.
    const int infoFolder = entry.info.get();
    const std::string temporary = "." + entry.infoName + ".new";
    unlinkat(infoFolder, temporary.c_str(), 0);  // left by an interrupted exchange
    const std::string date = deletionDateNow();
    if (int error = createFileWith(infoFolder, temporary, trashInfoText(item.originalPath, date)))
        return error;
    if (int error = renameOwnFolders(entry.files.get(), entry.name.c_str(), target.get(),
                                     targetName.c_str(), RENAME_EXCHANGE)) {
        unlinkat(infoFolder, temporary.c_str(), 0);
        return error;
    }
    // The trash now holds what stood at the original path.
    item.device = st.st_dev;
    item.inode = st.st_ino;
    // Should the new date not take, the entry keeps its old, still valid, info.
    if (renameat(infoFolder, temporary.c_str(), infoFolder, entry.infoName.c_str()) != 0)
        unlinkat(infoFolder, temporary.c_str(), 0);
    else
        item.deletionDate = date;
    return 0;
}

int copyOutOfTrash(const TrashedItem& item, const std::string& destination) {
    CheckedEntry entry;
    if (int error = checkTrashed(item, entry)) return error;
    UniqueFd target = openFolderOf(destination, 0);
    if (!target) return errno;
    const SplitPath to = splitPath(destination);
    return copyEntryAs({entry.files.get(), splitPath(item.trashedPath).folder, entry.name},
                       {target.get(), to.folder, to.name});
}

int removeFromTrash(const TrashedItem& item) {
    CheckedEntry entry;
    if (int error = checkTrashed(item, entry)) return error;
    struct stat st;
    int error = 0;
    if (fstatat(entry.files.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(st.st_mode))
        error = removeTree(item.trashedPath, RemovalMode::asOwner);
    else if (unlinkat(entry.files.get(), entry.name.c_str(), 0) != 0)
        error = errno;
    if (!error) unlinkat(entry.info.get(), entry.infoName.c_str(), 0);
    return error;
}
