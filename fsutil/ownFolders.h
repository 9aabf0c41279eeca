#pragma once

// Folders this process owns but cannot write. `cp -R` keeps modes, so a patch
// copied from a read-only folder stays read-only in the library, where its
// owner must still be able to replace and delete it: like a file manager,
// and unlike `rm -rf`, these helpers give the owner the access first.

#include <sys/types.h>

// When the entry `name` of the open folder `parentFd` is a folder (never a
// link) owned by this process's user that lacks owner read, write or search
// permission, adds them. True when it did; its former mode in `formerMode`.
bool grantOwnerAccess(int parentFd, const char* name, mode_t& formerMode);

// renameat2 (flags: 0, RENAME_NOREPLACE or RENAME_EXCHANGE). Moving a folder
// to another parent needs write permission on the folder itself (its ".."
// changes): when that refuses the move of a folder this process owns, the
// folder is made writable for the move and gets its mode back afterwards.
// 0, or the errno of the rename.
int renameOwnFolders(int fromDir, const char* from, int toDir, const char* to, unsigned flags);

// renameOwnFolders that never replaces what stands at `to`: RENAME_NOREPLACE,
// or where the file system lacks it (NFS, some FUSE), a check and then a
// plain rename.
int renameNoReplace(int fromDir, const char* from, int toDir, const char* to);
