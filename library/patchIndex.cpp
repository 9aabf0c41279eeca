#include "fsutil/ofxDirList.h"
#include "fsutil/ofxFileUtils.h"
#include "library/VQAUUtils.h"

namespace {
// One list for the whole run: holders keep its address and read the latest load.
std::vector<std::string> patchPaths;
}  // namespace

void findPatches(const char* typeDir) {
    patchPaths.clear();
    ofxDirList lister;
    int count = lister.listDir(typeDir);
    for (int i = 0; i < count; ++i) {
        std::string path = lister.getPath(i);
        // Links to folders count as patches; files and dangling links don't.
        if (ofxIsDirectory(path)) patchPaths.push_back(path);
    }
}

std::vector<std::string>* loadPatches(const char* typeDir) {
    findPatches(typeDir);
    return &patchPaths;
}

// A listed link to a folder elsewhere loses only the link: ofxDeleteDir never
// follows it.
void uninstallPatch(const char* path) {
    ofxDeleteDir(path);
}
