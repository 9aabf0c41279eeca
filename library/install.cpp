#include "fsutil/fileKind.h"
#include "fsutil/ofxFileUtils.h"
#include "library/VQAUUtils.h"
#include "library/runCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kLocalhostUrl = "file://localhost";
constexpr std::string_view kLocalFileUrl = "file:///";
// Copies are made in this hidden folder of the type directory, so listings
// never show a half-copied patch.
constexpr std::string_view kStagingFolder = "/.installing";
// Where an earlier copy waits when the file system can't exchange two names.
constexpr std::string_view kReplacedCopy = "/.replaced";

bool existsItself(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool isRealDirectory(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isSameFile(const std::string& path, const struct stat& other) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && info.st_dev == other.st_dev &&
           info.st_ino == other.st_ino;
}

// File URLs become plain paths: "file://localhost/..." and the local form
// "file:///..." that desktops send (its path keeps the leading "/").
void stripFileUrls(std::vector<std::string>& items) {
    for (std::string& item : items) {
        if (item.starts_with(kLocalhostUrl))
            item.erase(0, kLocalhostUrl.size());
        else if (item.starts_with(kLocalFileUrl))
            item.erase(0, kLocalFileUrl.size() - 1);
        else
            continue;
        std::printf("file----%s\n", item.c_str());
    }
}

// Removes what an interrupted install left at path; true when nothing stands there.
bool clearLeftover(const std::string& path) {
    if (existsItself(path)) ofxDeleteDir(path);
    return !existsItself(path);
}

// The hidden folder of a type directory where copies are made, created when
// missing; empty when there is none to use.
std::string openStaging(const char* type) {
    const std::string stagingDir = std::string(type) + std::string(kStagingFolder);
    ofxCreateDirectory(stagingDir);
    // Everything deleted in it must lie inside it, so it must not lead elsewhere.
    return isRealDirectory(stagingDir) ? stagingDir : std::string();
}

// Puts the staged copy in place of the earlier copy at destination in one step,
// so the name never stands missing or half-copied, then deletes the earlier copy.
bool replaceAtomically(const std::string& staged, const std::string& destination,
                       const std::string& stagingDir) {
    if (renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, destination.c_str(), RENAME_EXCHANGE) == 0) {
        ofxDeleteDir(staged);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // This file system can't exchange names: move the earlier copy aside first.
    const std::string aside = stagingDir + std::string(kReplacedCopy);
    if (!clearLeftover(aside) || std::rename(destination.c_str(), aside.c_str()) != 0) return false;
    if (std::rename(staged.c_str(), destination.c_str()) != 0) {
        std::rename(aside.c_str(), destination.c_str());
        return false;
    }
    ofxDeleteDir(aside);
    return true;
}

// Copies a patch folder into its type directory. The earlier copy is replaced
// only once the new one is complete; a failed copy leaves it as it was.
const char* installFolder(const std::string& source) {
    const char* type = getTypeForDir(source);
    if (!type) return nullptr;
    std::puts("Copeee");
    // The folder's own name: a trailing "/" on the dropped path names the same folder.
    const std::string name = getDirName(source);
    const std::string destination = std::string(type) + "/" + name;

    struct stat earlier;
    const bool hasEarlierCopy = stat(destination.c_str(), &earlier) == 0;
    if (hasEarlierCopy && isSameFile(source, earlier)) return type;  // dropped from its place
    // A file, a link to a file or a dangling link in the way is not ours to replace.
    if (hasEarlierCopy ? !S_ISDIR(earlier.st_mode) : existsItself(destination)) return nullptr;

    const std::string stagingDir = openStaging(type);
    if (stagingDir.empty()) return nullptr;
    const std::string staged = stagingDir + "/" + name;

    bool installed = clearLeftover(staged) && copyTreeWithCp(source, staged);
    if (installed) {
        installed = hasEarlierCopy ? replaceAtomically(staged, destination, stagingDir)
                                   : std::rename(staged.c_str(), destination.c_str()) == 0;
    }
    if (!installed) ofxDeleteDir(staged);
    rmdir(stagingDir.c_str());  // stays while other leftovers remain in it
    return installed ? type : nullptr;
}

// The folder made around a single file: its name up to the last ".pd", so
// Bass.pd goes into Bass.
std::string folderNameForFile(const std::string& path) {
    const std::string::size_type extension = path.rfind(".pd");
    return getFileName(extension == std::string::npos ? path : path.substr(0, extension));
}

// The line ofxCopyFile prints for a destination it can't write.
void reportUnwritable(const std::string& path) {
    std::printf("%s: No such file or directory\n", path.c_str());
}

// Copies a single file into a patch folder of its type. The copy is made in
// a staged folder and moved into place in one step: a new patch folder
// appears whole, or the file replaces its namesake in the existing folder, so
// an interrupted install leaves only the staged folder, which the next
// install of the name clears.
const char* installFile(const std::string& source) {
    std::puts("It's a file");
    const std::string folderName = folderNameForFile(source);
    // These would name the type directory itself or its parent, not a new folder.
    if (folderName.empty() || folderName == "." || folderName == "..") return nullptr;
    const char* type = getType(source);
    const std::string folder = std::string(type) + "/" + folderName;
    const std::string fileName = patchNameFromPath(source);
    const std::string destination = folder + "/" + fileName;

    // An installed file dropped again is already in place.
    struct stat installed;
    if (stat(destination.c_str(), &installed) == 0 && isSameFile(source, installed)) return type;
    // A file or a link in the way is not ours to replace, and writing through
    // a link would write outside the library.
    const bool intoExisting = isRealDirectory(folder);
    const std::string stagingDir =
        intoExisting || !existsItself(folder) ? openStaging(type) : std::string();
    if (stagingDir.empty()) {
        reportUnwritable(destination);
        return nullptr;
    }
    const std::string staged = stagingDir + "/" + folderName;
    const std::string stagedFile = staged + "/" + fileName;
    bool done =
        clearLeftover(staged) && ofxCreateDirectory(staged) && ofxCopyFile(source, stagedFile);
    if (done) {
        done = intoExisting ? std::rename(stagedFile.c_str(), destination.c_str()) == 0
                            : std::rename(staged.c_str(), folder.c_str()) == 0;
        if (!done) reportUnwritable(destination);
    }
    ofxDeleteDir(staged);
    rmdir(stagingDir.c_str());  // stays while other leftovers remain in it
    return done ? type : nullptr;
}

}  // namespace

const char* installFiles(std::vector<std::string>& paths) {
    stripFileUrls(paths);
    const char* lastInstalled = nullptr;
    for (const std::string& item : paths) {
        std::printf("file:: %s\n", item.c_str());
        const char* type = nullptr;
        if (ofxIsDirectory(item))
            type = installFolder(item);
        else if (isRegularFile(item))  // not missing, dangling, a pipe or a device
            type = installFile(item);
        if (type) lastInstalled = type;
    }
    return lastInstalled;
}
