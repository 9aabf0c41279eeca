#pragma once

// Installing the items of one drop or open request, telling the caller what
// became of each item, which earlier copies went to the trash (so they can be
// put back), and letting it follow and stop a long install. installFiles is
// this with nobody watching.

#include <cstdint>
#include <string>
#include <vector>

#include "fsutil/trash.h"
#include "fsutil/treeSize.h"

enum class ItemOutcome {
    installed,
    // A folder without its own main patch file, or an archive holding no patch.
    notAPatch,
    // Missing.
    notFound,
    // There, but no folder, regular file or archive (a pipe, a device).
    notARegularFile,
    // The copy (or the move into place) failed; the reason says why.
    failed,
    // Does not fit in the free space of the library's file system.
    noRoom,
    // No trash could take the earlier copy and it was not to be deleted for
    // good: the earlier copy stays, nothing was installed.
    keptEarlierCopy,
    // Stopped by the watcher, or not started because of it.
    cancelled,
};

// What became of the earlier copy of a patch that an install replaced.
enum class EarlierCopy {
    // There was none (or the item was not installed).
    none,
    // In the trash (ReplacedCopy says where), so Undo can bring it back.
    trashed,
    // No trash could take it, and it was deleted for good.
    deleted,
};

struct ItemReport {
    // The item as it was installed from (a file URL already made a path).
    std::string item;
    ItemOutcome outcome = ItemOutcome::notFound;
    // The system's reason, for a failed item.
    std::string reason;
    // For one patch of an archive: the patch folder's name; the archive
    // has a report for each patch it holds.
    std::string patch;
    EarlierCopy earlier = EarlierCopy::none;
    // Why no trash took the earlier copy, when it did not (see TrashResult).
    TrashResult trashFailure;
    // Once installed: the type directory and the patch folder's name there.
    const char* type = nullptr;
    std::string installedPatch;
};

// An earlier copy that an install replaced and put in the trash.
struct ReplacedCopy {
    // Where the library holds the new copy.
    std::string path;
    TrashedItem trashed;
};

struct InstallReport {
    // The type directory of the last patch installed, or null.
    const char* lastType = nullptr;
    std::vector<ItemReport> items;
    std::vector<ReplacedCopy> replaced;
};

// Follows and may stop an install; its calls come from the installing thread.
class InstallWatcher {
public:
    virtual ~InstallWatcher() = default;
    // Asked often (about every tenth of a second during a copy): true stops
    // the install. The item being copied is abandoned and leaves nothing; the
    // items after it are not started.
    virtual bool cancelled() const { return false; }
    // Item `index` of `count` begins (`item`, as given); it has `toCopy` to
    // copy. No files are counted for an archive: its extraction tells bytes only.
    virtual void itemStarted(std::size_t /*index*/, std::size_t /*count*/,
                             const std::string& /*item*/, const TreeSize& /*toCopy*/) {}
    // How much of the item is copied so far. The files are those a folder's
    // copy holds already, so that a folder of many small files is seen moving
    // while its bytes hardly grow.
    virtual void itemProgress(const TreeSize& /*copied*/) {}
    // Another importer holds the library: the install waits for it (asking
    // cancelled() meanwhile) and this is told once, when the wait begins.
    virtual void waitingForLibrary() {}
    // No trash can take the earlier copy of patch `name` (`why`): true deletes
    // it for good and installs the new copy, false keeps it and installs
    // nothing for this item. May wait for the user's answer.
    virtual bool replacePermanently(const std::string& /*name*/, const TrashResult& /*why*/) {
        return true;
    }
};

// Installs the items (paths or file URLs, rewritten in place) with the same
// lines on standard output as installFiles, all under the library lock.
InstallReport installItems(std::vector<std::string>& paths, InstallWatcher* watcher = nullptr);
