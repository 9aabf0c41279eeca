#include "library/VQAUUtils.h"

#include "fsutil/ofxFileUtils.h"

// The three name rules differ only for a path that ends in "/": the patch name
// keeps that slash, the file name is then empty, the folder name drops it.

std::string patchNameFromPath(std::string path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return path;
    if (slash + 1 == path.size()) {
        if (slash == 0) return std::string();  // the root "/" names nothing
        slash = path.rfind('/', slash - 1);
        if (slash == std::string::npos) return path;
    }
    return path.substr(slash + 1);
}

std::string getFileName(std::string path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return path;
    return path.substr(slash + 1);
}

// The folder name is what ofxFileName gives: the last component, one
// trailing "/" ignored.
std::string getDirName(std::string path) {
    return ofxFileName(std::move(path));
}

const char* typeDirOf(const std::string& path) {
    for (const char* typeDir : {EFFECTS_DIR, INSTRUMENTS_DIR})
        if (path.starts_with(std::string(typeDir) + "/")) return typeDir;
    return nullptr;
}
