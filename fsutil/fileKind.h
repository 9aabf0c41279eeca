#pragma once

#include <string>

// True when the path (links followed) names a regular file. Only such a file
// has content to read: opening a pipe waits for a writer, and a device such as
// /dev/zero never ends.
bool isRegularFile(const std::string& path);
