#pragma once

#include <sys/stat.h>

#include <string>

// True when the path (links followed), or the open file, is a regular file.
// Only such a file has content to read: opening a pipe waits for a writer, and
// a device such as /dev/zero never ends.
bool isRegularFile(const std::string& path);
bool isRegularFile(int fd);

// True when the path (links followed) names the file `known` describes: the
// same device and inode, whatever names lead there.
bool isSameFile(const struct stat& known, const std::string& path);
