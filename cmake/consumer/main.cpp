#include "fsutil/ofxDirList.h"
#include "fsutil/ofxFileUtils.h"
#include "library/VQAUUtils.h"
#include "params/PdPluginParameters.h"

#include <cstdio>

int main() {
    PdPluginParameters parameters;
    ofxDirList lister;
    bool ok = getDirName("/x/Echo/") == "Echo" && ofxFileName("/x/Echo") == "Echo" &&
              parameters.size() == 0 && lister.listDir("") == 0 && EFFECTS_DIR != INSTRUMENTS_DIR;
    std::puts(ok ? "core linked" : "core misbehaves");
    return ok ? 0 : 1;
}
