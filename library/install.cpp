#include "fsutil/fileCopy.h"
#include "fsutil/fileKind.h"
#include "fsutil/ofxFileUtils.h"
#include "library/VQAUUtils.h"
#include "library/libraryLock.h"
#include "library/placement.h"
#include "library/runCopy.h"
#include "library/staging.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kLocalhostUrl = "file://localhost";
constexpr std::string_view kLocalFileUrl = "file:///";

bool existsItself(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
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

// Copies a patch folder into its type directory. The copy is made in a
// staging folder and takes the earlier copy's place only once complete, so a
// failed copy leaves the earlier one as it was.
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
    if (hasEarlierCopy ? !S_ISDIR(earlier.st_mode) : existsItself(destination)) {
        reportPathError(destination, hasEarlierCopy ? ENOTDIR : EEXIST);
        return nullptr;
    }

    StagingFolder staging(type);
    if (!staging) {
        reportPathError(destination, staging.error());
        return nullptr;
    }
    const std::string staged = staging.path(name);
    if (!copyTreeWithCp(source, staged)) return nullptr;  // cp said why
    const int error =
        hasEarlierCopy ? swapWithEarlier(staged, destination) : placeNew(staged, destination);
    if (error) reportPathError(destination, error);
    return error ? nullptr : type;
}

// The folder made around a single file: the file's own name up to its last
// ".pd", so Bass.pd goes into Bass; the folders the file lies in play no part.
std::string folderNameForFile(const std::string& fileName) {
    return fileName.substr(0, fileName.rfind(".pd"));
}

// Why nothing can be put at `folder`: what stands there is not a folder, or
// it is a link, which would lead the file out of the library.
int whyNotAPatchFolder(const std::string& folder) {
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0) return 0;
    if (S_ISLNK(info.st_mode)) return ELOOP;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// Copies a single file into a patch folder of its type. The copy is made in
// a staged folder and moved into place in one step: a new patch folder
// appears whole, or the file takes its namesake's place in the existing
// folder, so an interrupted install leaves only the staging folder.
const char* installFile(const std::string& source) {
    std::puts("It's a file");
    const std::string fileName = patchNameFromPath(source);
    const std::string folderName = folderNameForFile(fileName);
    // Empty, ".", ".." or hidden: not a folder the list could show.
    if (folderName.empty() || folderName.front() == '.') return nullptr;
    const char* type = getType(source);
    const std::string folder = std::string(type) + "/" + folderName;
    const std::string destination = folder + "/" + fileName;

    // An installed file dropped again is already in place.
    struct stat installed;
    if (stat(destination.c_str(), &installed) == 0 && isSameFile(source, installed)) return type;
    if (int error = whyNotAPatchFolder(folder)) {
        reportPathError(destination, error);
        return nullptr;
    }
    const bool intoExisting = existsItself(folder);
    StagingFolder staging(type);
    if (!staging) {
        reportPathError(destination, staging.error());
        return nullptr;
    }
    const std::string staged = staging.path(folderName);
    const std::string stagedFile = staged + "/" + fileName;
    if (!ofxCreateDirectory(staged)) {
        reportPathError(destination, errno);
        return nullptr;
    }
    if (!ofxCopyFile(source, stagedFile)) return nullptr;  // ofxCopyFile said why
    int error;
    if (!intoExisting)
        error = placeNew(staged, folder);
    else if (existsItself(destination))
        error = swapWithEarlier(stagedFile, destination);
    else
        error = placeNew(stagedFile, destination);
    if (error) reportPathError(destination, error);
    return error ? nullptr : type;
}

}  // namespace

const char* installFiles(std::vector<std::string>& paths) {
    stripFileUrls(paths);
    if (paths.empty()) return nullptr;
    // The whole request is one write of the library; holding the lock also
    // means no other importer is staging, so what staging folders remain
    // are leftovers of installs that were interrupted.
    LibraryLock lock;
    clearStagingLeftovers(EFFECTS_DIR);
    clearStagingLeftovers(INSTRUMENTS_DIR);

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
