#include "fsutil/ofxDirList.h"

#include "fsutil/visibleEntries.h"

#include <cctype>
#include <string_view>

namespace {

// Text after the last "."; empty without a "." or when the name ends in one.
std::string getExt(std::string_view name) {
    std::string_view::size_type dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string strToLower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// With no filter every entry is kept; otherwise the first filter entry that
// accepts the name keeps it.
bool passesFilter(const std::vector<std::string>& extensions, std::string_view name) {
    if (extensions.empty()) return true;
    std::string ext;
    for (const std::string& filter : extensions) {
        if (filter == "*") return true;
        if (filter.size() < name.size()) {
            if (ext.empty()) ext = strToLower(getExt(name));
            if (!ext.empty() && ext == filter) return true;
        }
    }
    return false;
}

}  // namespace

ofxDirList::ofxDirList() {
    reset();
}

void ofxDirList::reset() {
    extensions.clear();
    names.clear();
    paths.clear();
}

void ofxDirList::setVerbose(bool) {}

bool ofxDirList::allowExt(std::string ext) {
    extensions.push_back(strToLower(std::move(ext)));
    return true;
}

int ofxDirList::listDir(std::string directory) {
    names.clear();
    paths.clear();
    if (directory.empty()) return 0;
    if (directory.back() != '/') directory += '/';

    forEachVisibleEntry(directory, [this, &directory](std::string_view name, EntryKind) {
        if (!passesFilter(extensions, name)) return;
        paths.push_back(directory + std::string(name));
        names.emplace_back(name);
    });
    return static_cast<int>(names.size());
}

std::string ofxDirList::getName(int i) {
    return i >= 0 && static_cast<size_t>(i) < names.size() ? names[i] : std::string();
}

std::string ofxDirList::getPath(int i) {
    return i >= 0 && static_cast<size_t>(i) < paths.size() ? paths[i] : std::string();
}
