#pragma once

#include <string>

#include "fsutil/trash.h"

// Why no trash took an item, in the system's words, for the log: the error of the trash
// on its own file system, then the home trash's when that was tried too.
std::string trashErrorText(const TrashResult& failure);
