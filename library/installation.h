#pragma once

// Installing the items of one drop or open request, telling the caller what
// became of each item, which earlier copies went to the trash (so they can be
// put back), and letting it follow and stop a long install. installFiles is
// this with nobody watching.

#include <cstdint>
#include <string>
#include <vector>

#include "fsutil/trash.h"

enum class ItemOutcome {
    installed,
    // A folder without its own main patch file, or an archive holding no patch.
    notAPatch,
    // Missing, or no folder, regular file or archive.
    notFound,
    // The copy (or the move into place) failed; the reason says why.
    failed,
    // Stopped by the watcher, or not started because of it.
    cancelled,
};

struct ItemReport {
    // The item as it was installed from (a file URL already made a path).
    std::string item;
    ItemOutcome outcome = ItemOutcome::notFound;
    // The system's reason, for a failed item.
    std::string reason;
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
    // Item `index` of `count` begins (`item`, as given); it has `bytes` to copy.
    virtual void itemStarted(std::size_t /*index*/, std::size_t /*count*/,
                             const std::string& /*item*/, std::uint64_t /*bytes*/) {}
    // Bytes of the item copied so far.
    virtual void itemProgress(std::uint64_t /*bytes*/) {}
};

// Installs the items (paths or file URLs, rewritten in place) with the same
// lines on standard output as installFiles, all under the library lock.
InstallReport installItems(std::vector<std::string>& paths, InstallWatcher* watcher = nullptr);
