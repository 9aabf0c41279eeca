#pragma once

// The ways this program opens a folder, by what the descriptor is for.

#include <fcntl.h>

namespace folderFlags {

// To read the folder's entries, or to lock it.
inline constexpr int read = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// The same, refusing a symbolic link in the last component, so that a link
// planted in the tree never leads a walk elsewhere.
inline constexpr int readNoLink = read | O_NOFOLLOW;
// Only as the starting point of *at calls: needs no read permission.
inline constexpr int place = O_PATH | O_DIRECTORY | O_CLOEXEC;
// The same, refusing a symbolic link in the last component.
inline constexpr int placeNoLink = place | O_NOFOLLOW;

}  // namespace folderFlags
