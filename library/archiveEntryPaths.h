#pragma once

// What an archive entry's name and link target may be: the checks that keep
// every entry inside the folder it is extracted into, and names in UTF-8.

#include <cstddef>
#include <string>
#include <vector>

// An entry's path below the extraction folder, one component each, without
// empty and "." components.
using EntryPath = std::vector<std::string>;

struct CheckedEntryPath {
    enum Verdict { usable, dropped, refused } verdict;
    EntryPath path;
    std::string reason;  // why it is refused
};

// Refused: an empty name, an absolute path, a ".." component, a name of
// PATH_MAX bytes or more. Dropped: the
// extraction folder itself ("./") and desktop litter, __MACOSX, .DS_Store
// and Thumbs.db (with everything below them).
CheckedEntryPath checkEntryPath(const std::string& name);

// True when the relative `target` of the link at `link` resolves inside the
// folder made of the first `floor` components of `link`. Only leading ".."
// components may climb: a ".." after a descent could undo a component that is
// itself a link, which a lexical check can't see.
bool linkStaysInside(const EntryPath& link, const std::string& target, std::size_t floor);

// Names that are valid UTF-8 stay as they are; any other is read as code page
// 437, the encoding of zips from old Windows tools without the UTF-8 flag.
std::string entryNameAsUtf8(const char* name);

std::string joinEntryPath(const EntryPath& path, std::size_t count);
inline std::string joinEntryPath(const EntryPath& path) {
    return joinEntryPath(path, path.size());
}

// Text fit for a one-line message: control bytes as "?", cut when long.
std::string oneLine(const std::string& text);
// oneLine in quotes, for names in messages.
std::string quotedName(const std::string& name);
