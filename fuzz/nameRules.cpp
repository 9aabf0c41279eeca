// The name rules on arbitrary paths: the last component, differing only for a trailing "/".

#include <cstdint>
#include <string>

#include "fsutil/ofxFileUtils.h"
#include "fuzz/check.h"
#include "library/VQAUUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size), untouched = path;
    const bool trailingSlash = path.ends_with('/');
    const std::string withoutSlash = trailingSlash ? path.substr(0, size - 1) : path;
    // getFileName: the text after the last "/", empty exactly when the path ends in "/".
    const std::string fileName = getFileName(path);
    check(fileName.find('/') == std::string::npos && path.ends_with(fileName) &&
          (path.size() == fileName.size() || path[size - fileName.size() - 1] == '/'));
    check(fileName.empty() == (path.empty() || trailingSlash));
    // getDirName and ofxFileName: the same, one trailing "/" ignored (only one).
    const std::string dirName = getDirName(path);
    check(dirName == getFileName(withoutSlash) && ofxFileName(path) == dirName);
    // patchNameFromPath: a trailing "/" stays with the component before it; "/" names nothing.
    const std::string patchName = patchNameFromPath(path);
    check(!trailingSlash ? patchName == fileName
          : path == "/"  ? patchName.empty()
                         : patchName == getFileName(withoutSlash) + "/");
    check(path == untouched);
    return 0;
}
