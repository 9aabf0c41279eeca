#pragma once

// Why no trash took an item, in words a user can act on: the system's own
// message ("Invalid cross-device link") tells a user nothing.

#include <string>

#include "fsutil/trash.h"

// One sentence, ending with a full stop.
std::string trashFailureText(const TrashResult& failed);
