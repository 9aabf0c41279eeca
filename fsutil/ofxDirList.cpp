#include "fsutil/ofxDirList.h"

#include <dirent.h>
#include <cctype>
#include <cstdio>
#include <memory>

namespace {

// Text after the last "."; empty without a "." or when the name ends in one.
std::string getExt(const std::string& name) {
    std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string strToLower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

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

    std::unique_ptr<DIR, DirCloser> dir(opendir(directory.c_str()));
    if (!dir) {
        std::printf("ofxDirList - error opening directory");
        return 0;
    }
    while (const dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        if (!extensions.empty()) {
            std::string ext;
            bool accepted = false;
            for (const std::string& filter : extensions) {
                if (filter == "*") {
                    accepted = true;
                } else if (filter.size() < name.size()) {
                    if (ext.empty()) ext = strToLower(getExt(name));
                    accepted = !ext.empty() && ext == filter;
                }
                if (accepted) break;
            }
            if (!accepted) continue;
        }
        paths.push_back(directory + name);
        names.push_back(std::move(name));
    }
    return static_cast<int>(names.size());
}

std::string ofxDirList::getName(int i) {
    return i >= 0 && static_cast<size_t>(i) < names.size() ? names[i] : std::string();
}

std::string ofxDirList::getPath(int i) {
    return i >= 0 && static_cast<size_t>(i) < paths.size() ? paths[i] : std::string();
}
