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

bool forEachVisibleEntry(const std::string& directory,
                         const std::function<void(std::string_view name, EntryKind kind)>& visit) {
    if (directory.empty()) return true;
    UniqueDir dir(opendir(directory.c_str()));
    if (!dir) {
        std::printf("ofxDirList - error opening directory");
        return false;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        visit(name, kindOf(entry->d_type));
    }
    return true;
}
