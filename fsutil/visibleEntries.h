#pragma once

// The directory reading behind ofxDirList, for this project's own callers
// that also need each entry's kind as the directory reports it: with it they
// can skip a stat for every entry whose kind is already known.

#include <functional>
#include <string>
#include <string_view>

// An entry's kind as its directory entry reports it, without a stat.
enum class EntryKind { directory, symlink, unknown, other };

// Calls visit(name, kind) for every entry of `directory` but "." and "..",
// hidden ones included, in the order the system yields them. Prints nothing;
// false when the directory can't be opened.
bool forEachEntry(const std::string& directory,
                  const std::function<void(std::string_view name, EntryKind kind)>& visit);

// Calls visit(name, kind) for every entry of `directory` whose name is not
// empty and does not begin with ".", in the order the system yields them.
// An empty path lists nothing and prints nothing. A directory that can't be
// opened prints "ofxDirList - error opening directory" without a line end and
// gives false.
bool forEachVisibleEntry(const std::string& directory,
                         const std::function<void(std::string_view name, EntryKind kind)>& visit);
