#pragma once

#include <string>

#include "fsutil/trash.h"

// Why no trash took an item, as one line for the log: the error of the trash
// on its own file system, then the home trash's when that was tried too.
std::string trashFailureText(const TrashResult& failure);
