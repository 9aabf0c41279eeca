#include "fsutil/fileCopy.h"
#include "fsutil/fileKind.h"
#include "fsutil/ofxFileUtils.h"
#include "fsutil/ownFolders.h"
#include "fsutil/runCopy.h"
#include "fsutil/treeSize.h"
#include "library/VQAUUtils.h"
#include "library/archiveExtraction.h"
#include "library/installation.h"
#include "library/libraryLock.h"
#include "library/placement.h"
#include "library/staging.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kLocalhostUrl = "file://localhost";
constexpr std::string_view kLocalFileUrl = "file:///";
// Measuring a growing copy walks it, so not at every tick of the watch.
constexpr std::chrono::milliseconds kProgressEvery{250};

bool existsItself(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
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

struct ItemResult {
    ItemOutcome outcome;
    // The type directory the item went into, when it was installed.
    const char* type = nullptr;
    std::string reason = {};
};

ItemResult installedAs(const char* type) {
    return {ItemOutcome::installed, type};
}

// Prints the line for the path that failed, as ofxCopyFile does.
ItemResult failedAt(const std::string& path, int error) {
    reportPathError(path, error);
    return {ItemOutcome::failed, nullptr, std::strerror(error)};
}

// One item of a request on its way in, with whoever watches the request.
class ItemInstall {
public:
    ItemInstall(std::size_t index, std::size_t count, InstallWatcher* watcher,
                InstallReport& report)
        : index_(index), count_(count), watcher_(watcher), report_(report) {}

    bool cancelled() const { return watcher_ && watcher_->cancelled(); }

    // Counting what an item has to copy walks it: only for a watcher, and
    // only once the item is known to be a patch.
    void started(const std::string& item, const std::string& source) {
        if (watcher_) watcher_->itemStarted(index_, count_, item, bytesInTree(source));
    }

    // Watches a copy growing at `copy`.
    CopyWatch copyWatch(const std::string& copy) {
        if (!watcher_) return {};
        auto measured = std::chrono::steady_clock::now();
        return {[this] { return cancelled(); },
                [this, copy, measured]() mutable {
                    const auto now = std::chrono::steady_clock::now();
                    if (now - measured < kProgressEvery) return;
                    measured = now;
                    watcher_->itemProgress(bytesInTree(copy));
                }};
    }

    ExtractionHooks extractionHooks() {
        if (!watcher_) return {};
        return {[this] { return cancelled(); },
                [this](std::uint64_t written) { watcher_->itemProgress(written); }};
    }

    // The earlier copy, swapped out of the library into `staged`, goes to the
    // trash as what stood at `placed`. Where no trash takes it, the staging
    // folder's removal deletes it, as a replace always did.
    void trashEarlierCopy(const std::string& staged, const std::string& placed) {
        if (TrashResult trashed = moveToTrash(staged, placed))
            report_.replaced.push_back({placed, trashed.item});
    }

private:
    std::size_t index_, count_;
    InstallWatcher* watcher_;
    InstallReport& report_;
};

// Where a patch folder goes, and what stands there now.
struct PatchPlace {
    const char* type;
    std::string destination;
    // An earlier copy (a folder, or a link to one) that the patch replaces.
    bool hasEarlierCopy = false;
    // What stands there is not a folder: not ours to replace.
    int inTheWay = 0;
};

PatchPlace placeOf(const char* type, const std::string& name) {
    PatchPlace place{type, std::string(type) + "/" + name};
    struct stat earlier;
    place.hasEarlierCopy = stat(place.destination.c_str(), &earlier) == 0;
    if (place.hasEarlierCopy ? !S_ISDIR(earlier.st_mode) : existsItself(place.destination))
        place.inTheWay = place.hasEarlierCopy ? ENOTDIR : EEXIST;
    return place;
}

// Puts the complete copy at `staged` in its place; the earlier copy goes to
// the trash.
ItemResult putInPlace(const std::string& staged, const PatchPlace& place, ItemInstall& install) {
    if (!place.hasEarlierCopy) {
        const int error = placeNew(staged, place.destination);
        return error ? failedAt(place.destination, error) : installedAs(place.type);
    }
    if (int error = swapWithEarlier(staged, place.destination))
        return failedAt(place.destination, error);
    install.trashEarlierCopy(staged, place.destination);
    return installedAs(place.type);
}

// Copies a patch folder into its type directory. The copy is made in a
// staging folder and takes the earlier copy's place only once complete, so a
// failed or cancelled copy leaves the earlier one as it was.
ItemResult installFolder(const std::string& source, ItemInstall& install) {
    const char* type = getTypeForDir(source);
    if (!type) return {ItemOutcome::notAPatch};
    std::puts("Copeee");
    // The folder's own name: a trailing "/" on the dropped path names the same folder.
    const std::string name = getDirName(source);
    const PatchPlace place = placeOf(type, name);
    struct stat installed;
    if (place.hasEarlierCopy && stat(place.destination.c_str(), &installed) == 0 &&
        isSameFile(installed, source))
        return installedAs(type);  // dropped from its place
    if (place.inTheWay) return failedAt(place.destination, place.inTheWay);

    install.started(source, source);
    StagingFolder staging(type);
    if (!staging) return failedAt(place.destination, staging.error());
    const std::string staged = staging.path(name);
    const CopyOutcome copy = copyTreeWithCp(source, staged, install.copyWatch(staged));
    if (copy.cancelled) return {ItemOutcome::cancelled};
    if (!copy.copied) return {ItemOutcome::failed, nullptr, copy.reason};  // cp said why
    return putInPlace(staged, place, install);
}

// Installs one patch folder extracted from an archive: it moves into a
// staging folder of its own type directory (copied there should that type
// directory lie on another file system) and then into place.
ItemResult installExtracted(const std::string& extracted, ItemInstall& install) {
    const char* type = getTypeForDir(extracted);
    if (!type) return {ItemOutcome::notAPatch};
    std::puts("Copeee");
    const std::string name = getDirName(extracted);
    const PatchPlace place = placeOf(type, name);
    if (place.inTheWay) return failedAt(place.destination, place.inTheWay);
    StagingFolder staging(type);
    if (!staging) return failedAt(place.destination, staging.error());
    const std::string staged = staging.path(name);
    const int moved = renameNoReplace(AT_FDCWD, extracted.c_str(), AT_FDCWD, staged.c_str());
    if (moved == EXDEV) {
        const CopyOutcome copy = copyTreeWithCp(extracted, staged, install.copyWatch(staged));
        if (copy.cancelled) return {ItemOutcome::cancelled};
        if (!copy.copied) return {ItemOutcome::failed, nullptr, copy.reason};
    } else if (moved) {
        return failedAt(place.destination, moved);
    }
    return putInPlace(staged, place, install);
}

// Installs the patches an archive holds. It is extracted into a staging
// folder on the library's file system, so its patches move into place
// without another copy; whatever happens, the extraction goes with the
// staging folder.
ItemResult installArchive(const std::string& archive, ItemInstall& install) {
    std::puts("It's an archive");
    StagingFolder staging(EFFECTS_DIR);
    if (!staging) return failedAt(archive, staging.error());
    // Hidden: a leftover of it is scratch, never an earlier copy of a patch.
    const std::string into = staging.path(".extracted");
    if (!ofxCreateDirectory(into)) return failedAt(into, errno);
    install.started(archive, archive);
    const ExtractedPatches extracted =
        extractPatches(archive, into, defaultExtractionLimits(), install.extractionHooks());
    if (install.cancelled()) return {ItemOutcome::cancelled};
    if (!extracted.failure.empty()) {
        std::printf("%s\n", extracted.failure.c_str());
        return {ItemOutcome::failed, nullptr, extracted.failure};
    }
    ItemResult result{ItemOutcome::notAPatch};
    for (const std::string& patch : extracted.patchFolders) {
        ItemResult placed = installExtracted(patch, install);
        if (placed.outcome == ItemOutcome::cancelled) return placed;
        if (placed.type) result.type = placed.type;
        if (!result.type) result = placed;
    }
    if (result.type) result.outcome = ItemOutcome::installed;
    return result;
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
ItemResult installFile(const std::string& source, ItemInstall& install) {
    std::puts("It's a file");
    const std::string fileName = patchNameFromPath(source);
    const std::string folderName = folderNameForFile(fileName);
    // Empty, ".", ".." or hidden: not a folder the list could show.
    if (folderName.empty() || folderName.front() == '.') return {ItemOutcome::notAPatch};
    const char* type = getType(source);
    const std::string folder = std::string(type) + "/" + folderName;
    const std::string destination = folder + "/" + fileName;

    // An installed file dropped again is already in place.
    struct stat installed;
    if (stat(destination.c_str(), &installed) == 0 && isSameFile(installed, source))
        return installedAs(type);
    if (int error = whyNotAPatchFolder(folder)) return failedAt(destination, error);
    install.started(source, source);
    const bool intoExisting = existsItself(folder);
    StagingFolder staging(type);
    if (!staging) return failedAt(destination, staging.error());
    const std::string staged = staging.path(folderName);
    const std::string stagedFile = staged + "/" + fileName;
    if (!ofxCreateDirectory(staged)) return failedAt(destination, errno);
    if (int error = copyFileAtomically(source, stagedFile))  // it said why
        return {ItemOutcome::failed, nullptr, std::strerror(error)};
    if (!intoExisting || !existsItself(destination)) {
        const int error =
            intoExisting ? placeNew(stagedFile, destination) : placeNew(staged, folder);
        return error ? failedAt(destination, error) : installedAs(type);
    }
    if (int error = swapWithEarlier(stagedFile, destination)) return failedAt(destination, error);
    install.trashEarlierCopy(stagedFile, destination);
    return installedAs(type);
}

}  // namespace

InstallReport installItems(std::vector<std::string>& paths, InstallWatcher* watcher) {
    InstallReport report;
    stripFileUrls(paths);
    if (paths.empty()) return report;
    // The whole request is one write of the library; holding the lock also
    // means no other importer is staging, so what staging folders remain
    // are leftovers of installs that were interrupted.
    const LibraryLock lock;
    clearStagingLeftovers(EFFECTS_DIR);
    clearStagingLeftovers(INSTRUMENTS_DIR);

    bool cancelled = false;
    const auto stop = [&cancelled] {
        std::puts("cancelled");
        cancelled = true;
    };
    for (std::size_t index = 0; index < paths.size(); ++index) {
        const std::string& item = paths[index];
        ItemInstall install(index, paths.size(), watcher, report);
        if (!cancelled && install.cancelled()) stop();
        if (cancelled) {
            report.items.push_back({item, ItemOutcome::cancelled, {}});
            continue;
        }
        std::printf("file:: %s\n", item.c_str());
        ItemResult result{ItemOutcome::notFound};
        if (ofxIsDirectory(item))
            result = installFolder(item, install);
        else if (isRegularFile(item) && isArchiveName(item))
            result = installArchive(item, install);
        else if (isRegularFile(item))  // not missing, dangling, a pipe or a device
            result = installFile(item, install);
        if (result.type) report.lastType = result.type;
        if (result.outcome == ItemOutcome::cancelled) stop();
        report.items.push_back({item, result.outcome, result.reason});
    }
    return report;
}

const char* installFiles(std::vector<std::string>& paths) {
    return installItems(paths).lastType;
}
