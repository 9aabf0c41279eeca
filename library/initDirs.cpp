#include "fsutil/ofxFileUtils.h"
#include "library/VQAUUtils.h"

#include <cstdio>

// The parent of BASE_DIR belongs to the audio host, so only the library folder
// and its two type directories are made here, one level each.
void initDirs() {
    std::puts("initDirs()");
    if (!ofxIsDirectory(BASE_DIR) && !ofxCreateDirectory(BASE_DIR))
        std::puts("Couldn't create base directory ");
    // A type directory that can't be made shows up later as an empty list.
    if (!ofxIsDirectory(EFFECTS_DIR)) ofxCreateDirectory(EFFECTS_DIR);
    if (!ofxIsDirectory(INSTRUMENTS_DIR)) ofxCreateDirectory(INSTRUMENTS_DIR);
}
