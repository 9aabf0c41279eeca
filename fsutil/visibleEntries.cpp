#include "fsutil/visibleEntries.h"

#include "fsutil/UniqueDir.h"

#include <cstdio>

namespace {

EntryKind kindOf(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return EntryKind::directory;
        case DT_LNK:
            return EntryKind::symlink;
        case DT_UNKNOWN:
            return EntryKind::unknown;
        default:
            return EntryKind::other;
    }
}

}  // namespace

bool forEachEntry(const std::string& directory,
                  const std::function<void(std::string_view name, EntryKind kind)>& visit) {
    UniqueDir dir(opendir(directory.c_str()));
    if (!dir) return false;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") visit(name, kindOf(entry->d_type));
    }
    return true;
}

bool forEachVisibleEntry(const std::string& directory,
                         const std::function<void(std::string_view name, EntryKind kind)>& visit) {
    if (directory.empty()) return true;
    const bool opened = forEachEntry(directory, [&visit](std::string_view name, EntryKind kind) {
        if (!name.empty() && name.front() != '.') visit(name, kind);
    });
    if (!opened) std::printf("ofxDirList - error opening directory");
    return opened;
}
