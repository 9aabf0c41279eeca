#include "fsutil/fileCopy.h"
#include "fsutil/fileKind.h"
#include "fsutil/freeSpace.h"
#include "fsutil/ofxFileUtils.h"
#include "fsutil/ownFolders.h"
#include "fsutil/runCopy.h"
#include "fsutil/treeSize.h"
#include "library/VQAUUtils.h"
#include "library/archiveExtraction.h"
#include "library/archiveNames.h"
#include "library/installation.h"
#include "library/libraryLock.h"
#include "library/placement.h"
#include "library/staging.h"
#include "library/trashFailure.h"

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
    EarlierCopy earlier = EarlierCopy::none;
    TrashResult trashFailure = {};
    // The patch folder's name in the type directory, when it was installed.
    std::string name = {};
};

ItemResult installedAs(const char* type, const std::string& name,
                       EarlierCopy earlier = EarlierCopy::none) {
    return {ItemOutcome::installed, type, {}, earlier, {}, name};
}

// Prints the line for the path that failed, as ofxCopyFile does.
ItemResult failedAt(const std::string& path, int error) {
    reportPathError(path, error);
    return {ItemOutcome::failed, nullptr, std::strerror(error)};
}

// A copy that the library's file system has no room for is not begun.
bool roomFor(const char* type, std::uint64_t bytes) {
    return bytes <= freeBytesAt(type);
}

ItemResult noRoomAt(const std::string& destination) {
    reportPathError(destination, ENOSPC);
    return {ItemOutcome::noRoom, nullptr, std::strerror(ENOSPC)};
}

// One request: whoever watches it, the report it fills, and whether it was
// stopped.
struct Request {
    InstallWatcher* watcher;
    InstallReport& report;
    bool stopped = false;
};

// One item of a request on its way in.
class ItemInstall {
public:
    ItemInstall(Request& request, std::size_t index, std::size_t count, const std::string& item)
        : request_(request), watcher_(request.watcher), index_(index), count_(count), item_(item) {}

    bool cancelled() const { return request_.stopped || (watcher_ && watcher_->cancelled()); }

    // What became of the item, or of its patch `patch` for an archive. The
    // first cancel of the request says so on standard output.
    void record(ItemResult result, const std::string& patch = {}) {
        if (result.type) request_.report.lastType = result.type;
        if (result.outcome == ItemOutcome::cancelled && !request_.stopped) {
            std::puts("cancelled");
            request_.stopped = true;
        }
        request_.report.items.push_back({item_, result.outcome, std::move(result.reason), patch,
                                         result.earlier, std::move(result.trashFailure),
                                         result.type, std::move(result.name)});
    }

    // Once the item is known to be a patch: what it has to copy, which the
    // watcher is told.
    void started(const TreeSize& toCopy) {
        if (watcher_) watcher_->itemStarted(index_, count_, item_, toCopy);
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
                    watcher_->itemProgress(treeSize(copy));
                }};
    }

    // Hooks for a single file's copy; progress is told after the first chunk,
    // then at most every kProgressEvery.
    FileCopyHooks fileCopyHooks() {
        if (!watcher_) return {};
        return {
            [this] { return cancelled(); },
            [this, told = std::chrono::steady_clock::time_point{}](std::uint64_t bytes) mutable {
                const auto now = std::chrono::steady_clock::now();
                if (now - told < kProgressEvery) return;
                told = now;
                watcher_->itemProgress({bytes, 0});
            }};
    }

    ExtractionHooks extractionHooks() {
        if (!watcher_) return {};
        return {[this] { return cancelled(); },
                [this](std::uint64_t written) {
                    watcher_->itemProgress({written, 0});
                }};
    }

    void replaced(const std::string& placed, const TrashedItem& trashed) {
        request_.report.replaced.push_back({placed, trashed});
    }

    // Without a watcher an earlier copy no trash takes is deleted, as a
    // replace always did.
    bool replacePermanently(const std::string& name, const TrashResult& why) {
        return !watcher_ || watcher_->replacePermanently(name, why);
    }

private:
    Request& request_;
    InstallWatcher* watcher_;
    std::size_t index_, count_;
    const std::string& item_;
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

// Exchanges the complete copy at `staged` with the earlier copy of patch
// `name` at `destination`; the earlier copy goes to the trash. Where no trash
// takes it, the watcher decides: deleted for good with the staging folder, or
// exchanged back, so it stands exactly as it was and nothing is installed.
ItemResult replaceEarlier(const std::string& staged, const std::string& destination,
                          const std::string& name, const char* type, ItemInstall& install,
                          StagingFolder& staging) {
    if (int error = swapWithEarlier(staged, destination)) return failedAt(destination, error);
    TrashResult trashed = moveToTrash(staged, destination);
    if (trashed) {
        install.replaced(destination, trashed.item);
        std::printf("Replaced “%s”, the earlier copy is in the trash\n", name.c_str());
        return installedAs(type, name, EarlierCopy::trashed);
    }
    const std::string why = trashErrorText(trashed);
    if (install.replacePermanently(name, trashed)) {
        std::printf("Replaced “%s” for good: %s\n", name.c_str(), why.c_str());
        ItemResult result = installedAs(type, name, EarlierCopy::deleted);
        result.trashFailure = std::move(trashed);
        return result;
    }
    if (int error = swapWithEarlier(staged, destination)) {
        staging.keep();  // it holds the earlier copy
        return failedAt(destination, error);
    }
    std::printf("Kept the earlier “%s”: %s\n", name.c_str(), why.c_str());
    return {ItemOutcome::keptEarlierCopy, nullptr, why, EarlierCopy::none, std::move(trashed)};
}

// Puts the complete copy at `staged` in its place.
ItemResult putInPlace(const std::string& staged, const PatchPlace& place, const std::string& name,
                      ItemInstall& install, StagingFolder& staging) {
    if (place.hasEarlierCopy)
        return replaceEarlier(staged, place.destination, name, place.type, install, staging);
    const int error = placeNew(staged, place.destination);
    return error ? failedAt(place.destination, error) : installedAs(place.type, name);
}

// How a patch folder reaches the staging folder: a dropped one is copied; one
// extracted from an archive moves (copied should its type directory lie on
// another file system).
enum class Bring { copy, move };

// Installs the patch folder at `source` into its type directory. It is brought
// into a staging folder of that type directory and takes the earlier copy's
// place only once complete, so a failed or cancelled copy leaves the earlier
// one as it was.
ItemResult installFolder(const std::string& source, ItemInstall& install, Bring bring) {
    const char* type = getTypeForDir(source);
    if (!type) return {ItemOutcome::notAPatch};
    std::puts("Copeee");
    // The folder's own name: a trailing "/" on the dropped path names the same folder.
    const std::string name = getDirName(source);
    const PatchPlace place = placeOf(type, name);
    struct stat installed;
    if (place.hasEarlierCopy && stat(place.destination.c_str(), &installed) == 0 &&
        isSameFile(installed, source))
        return installedAs(type, name);  // dropped from its place
    if (place.inTheWay) return failedAt(place.destination, place.inTheWay);
    if (bring == Bring::copy) {
        const TreeSize toCopy = treeSize(source);
        install.started(toCopy);
        if (!roomFor(type, toCopy.bytes)) return noRoomAt(place.destination);
    }

    StagingFolder staging(type);
    if (!staging) return failedAt(place.destination, staging.error());
    const std::string staged = staging.path(name);
    const int moved = bring == Bring::move
                          ? renameNoReplace(AT_FDCWD, source.c_str(), AT_FDCWD, staged.c_str())
                          : EXDEV;
    if (moved == EXDEV) {
        const CopyOutcome copy = copyTreeWithCp(source, staged, install.copyWatch(staged));
        if (copy.cancelled) return {ItemOutcome::cancelled};
        if (!copy.copied) return {ItemOutcome::failed, nullptr, copy.reason};  // cp said why
    } else if (moved) {
        return failedAt(place.destination, moved);
    }
    return putInPlace(staged, place, name, install, staging);
}

// Installs the patches an archive holds, each with a result of its own. It is
// extracted into a staging folder on the library's file system, so its
// patches move into place without another copy; whatever happens, the
// extraction goes with the staging folder. An archive that holds no patch, or
// can't be read whole, has one result.
void installArchive(const std::string& archive, ItemInstall& install) {
    std::puts("It's an archive");
    StagingFolder staging(EFFECTS_DIR);
    if (!staging) return install.record(failedAt(archive, staging.error()));
    // Hidden: a leftover of it is scratch, never an earlier copy of a patch.
    const std::string into = staging.path(".extracted");
    if (!ofxCreateDirectory(into)) return install.record(failedAt(into, errno));
    install.started({treeSize(archive).bytes, 0});
    const ExtractedPatches extracted =
        extractPatches(archive, into, defaultExtractionLimits(), install.extractionHooks());
    if (install.cancelled()) return install.record({ItemOutcome::cancelled});
    if (!extracted.failure.empty()) {
        std::printf("%s\n", extracted.failure.c_str());
        return install.record({ItemOutcome::failed, nullptr, extracted.failure});
    }
    // A cancel stops the pack between two patches: the rest are not placed.
    for (const std::string& patch : extracted.patchFolders)
        install.record(install.cancelled() ? ItemResult{ItemOutcome::cancelled}
                                           : installFolder(patch, install, Bring::move),
                       getDirName(patch));
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

// The disk space a file takes: its holes take none.
std::uint64_t allocatedBytes(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? std::uint64_t(info.st_blocks) * 512 : 0;
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
        return installedAs(type, folderName);
    if (int error = whyNotAPatchFolder(folder)) return failedAt(destination, error);
    install.started(treeSize(source));
    if (!roomFor(type, allocatedBytes(source))) return noRoomAt(destination);
    const bool intoExisting = existsItself(folder);
    StagingFolder staging(type);
    if (!staging) return failedAt(destination, staging.error());
    const std::string staged = staging.path(folderName);
    const std::string stagedFile = staged + "/" + fileName;
    if (!ofxCreateDirectory(staged)) return failedAt(destination, errno);
    if (int error = copyFileAtomically(source, stagedFile, install.fileCopyHooks()))
        return {error == ECANCELED ? ItemOutcome::cancelled : ItemOutcome::failed, nullptr,
                std::strerror(error)};  // a failure said why
    if (!intoExisting || !existsItself(destination)) {
        const int error =
            intoExisting ? placeNew(stagedFile, destination) : placeNew(staged, folder);
        return error ? failedAt(destination, error) : installedAs(type, folderName);
    }
    return replaceEarlier(stagedFile, destination, folderName, type, install, staging);
}

}  // namespace

InstallReport installItems(std::vector<std::string>& paths, InstallWatcher* watcher) {
    InstallReport report;
    stripFileUrls(paths);
    if (paths.empty()) return report;
    // The whole request is one write of the library; holding the lock also
    // means no other importer is staging, so what staging folders remain
    // are leftovers of installs that were interrupted. A cancel while another
    // importer holds it installs nothing.
    Request request{watcher, report};
    const LibraryLock lock([watcher] { return watcher && watcher->cancelled(); },
                           [watcher] {
                               if (watcher) watcher->waitingForLibrary();
                           });
    if (!lock.gaveUp()) {
        clearStagingLeftovers(EFFECTS_DIR);
        clearStagingLeftovers(INSTRUMENTS_DIR);
    }
    for (std::size_t index = 0; index < paths.size(); ++index) {
        const std::string& item = paths[index];
        ItemInstall install(request, index, paths.size(), item);
        if (lock.gaveUp() || install.cancelled()) {
            install.record({ItemOutcome::cancelled});
            continue;
        }
        std::printf("file:: %s\n", item.c_str());
        if (ofxIsDirectory(item))
            install.record(installFolder(item, install, Bring::copy));
        else if (isRegularFile(item) && isArchiveName(item))
            installArchive(item, install);
        else if (isRegularFile(item))
            install.record(installFile(item, install));
        else  // missing or dangling; or a pipe, a device
            install.record(
                {ofxFileExists(item) ? ItemOutcome::notARegularFile : ItemOutcome::notFound});
    }
    return report;
}

const char* installFiles(std::vector<std::string>& paths) {
    return installItems(paths).lastType;
}
