#pragma once

// Moves files and folders to the user's trash the way the desktop does, so any
// file manager shows them there and can put them back: into the home trash
// ($XDG_DATA_HOME/Trash) when it is on the item's mount, otherwise into the
// trash at the top of the item's mount ($topdir/.Trash/$uid when .Trash is a
// sticky folder, else $topdir/.Trash-$uid). The item's description
// (info/<name>.trashinfo) is written first, then the item goes into files/
// with one rename. Where no trash on the item's mount can take it, it is
// copied into the home trash and then removed, as desktops do across file
// systems. Links are never followed: a linked item is trashed as the link,
// and a trash folder that is a link is not used.
//
// Written on POSIX alone: the core builds without Qt or GLib, and the
// installer needs what their trash calls don't offer: recording an origin
// other than the item's current place, and swapping an entry back.
//
// Every call returns the system's error (errno) of the step that failed, or 0.
// A trash folder that is a link or no folder at all, or one at the top of a
// mount that belongs to another user, counts as no trash: EXDEV.

#include <string>

#include <cstdint>

struct TrashedItem {
    std::string trashedPath;   // <trash>/files/<name>
    std::string infoPath;      // <trash>/info/<name>.trashinfo
    std::string originalPath;  // the absolute path recorded as Path=
    // What tells this item from anything that takes its name in the trash
    // later: the trashed entry's device and inode, and the DeletionDate its
    // info file was written with.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string deletionDate;
};

struct TrashResult {
    // 0 once the item is in a trash. Else the errno of the trash on the
    // item's own mount (EXDEV: there is none that can take it), or, when that
    // failed and the copy into the home trash was tried, see homeTrashError.
    int error = 0;
    // Why the copy into the home trash failed (ENOSPC: no room), when it was
    // tried and failed; 0 otherwise.
    int homeTrashError = 0;
    TrashedItem item;
    explicit operator bool() const { return error == 0; }
};

// Moves `path` (a folder or a file, never followed if it is a link) into the
// user's trash. `recordAs` is the absolute path to record as its origin; empty
// means `path` itself (made absolute against the working folder when relative).
TrashResult moveToTrash(const std::string& path, const std::string& recordAs = {});

// The trash that items of `folder` go to by the rules above, whether it is
// made yet or not; empty when that can't be told. A top trash that turns out
// unusable, and the home trash taking copies, are found only by a move.
std::string trashFolderFor(const std::string& folder);

// Moves a trashed item back to its original path and then removes its info
// file. Refused with ESTALE, nothing changed, when the trash no longer holds
// this very item (it is gone, or something else now has its name or info
// file), and with EEXIST when something stands at the original path again;
// the original's folder is not created. 0 once the item is back (the info file
// is removed as well as can be), else the errno.
int restoreFromTrash(const TrashedItem& item);

// Swaps, in one step, the trashed item with what stands at its original path
// now, and dates the info file anew: the trash entry then holds what stood
// there. Undoes a replace. When nothing stands at the original path any more,
// the item is simply restored. Refused with ESTALE as restoreFromTrash is.
// 0 once done (should the new date not take, the entry keeps its old info),
// else the errno with nothing changed. Once exchanged, `item` describes the
// entry as it is then, so that a second exchange swaps the two back.
int exchangeWithTrashed(TrashedItem& item);

// Both above give EXDEV for an item that a copy put into a trash on another
// file system: no rename brings it back. Such an item is copied back instead
// and then taken out of the trash, with these two; each checks first that the
// trash still holds the very item (else ESTALE, nothing changed).

// Copies the trashed item to `destination`, where nothing may stand; a
// partial copy never has the name. 0 or the errno.
int copyOutOfTrash(const TrashedItem& item, const std::string& destination);

// Removes the trashed item and its info file. 0 or the errno.
int removeFromTrash(const TrashedItem& item);
