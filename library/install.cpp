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

// Only regular files (links followed) have content to install: a missing
// path or a dangling link has none, and reading a pipe or a device could
// block or never end.
bool isRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
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

    const std::string stagingDir = std::string(type) + std::string(kStagingFolder);
    ofxCreateDirectory(stagingDir);
    // Everything deleted below lies inside it, so it must not lead elsewhere.
    if (!isRealDirectory(stagingDir)) return nullptr;
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

// Copies a single file into a patch folder of its type, made when missing.
const char* installFile(const std::string& source) {
    std::puts("It's a file");
    const std::string folderName = folderNameForFile(source);
    // These would name the type directory itself or its parent, not a new folder.
    if (folderName.empty() || folderName == "." || folderName == "..") return nullptr;
    const char* type = getType(source);
    const std::string folder = std::string(type) + "/" + folderName + "/";
    const bool created = ofxCreateDirectory(folder);
    // Dropping an installed main patch file again copies it onto itself, which
    // ofxCopyFile leaves untouched and reports as done.
    if (ofxCopyFile(source, folder + patchNameFromPath(source))) return type;
    if (created) rmdir(folder.c_str());
    return nullptr;
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
        else if (isRegularFile(item))
            type = installFile(item);
        if (type) lastInstalled = type;
    }
    return lastInstalled;
}
