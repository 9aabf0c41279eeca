#pragma once

// The entries of a folder open as a descriptor, read whole before any of them
// is acted on: changing a folder while its stream is read leaves it
// unspecified which entries the stream still yields.

#include <optional>
#include <string>
#include <vector>

struct FolderEntry {
    std::string name;
    bool isFolder;  // a folder itself, not a link to one
};

// Every entry of `folder` but "." and "..", from its first, in the order the
// system yields them. `folder` is opened for reading (folderFlags::read) and
// stays open; its reading position is shared and starts over. Nothing when it
// can't be read.
std::optional<std::vector<FolderEntry>> folderEntries(int folder);
