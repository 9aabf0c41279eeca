// The four name rules on arbitrary paths, each against its stated property:
// the last component of the path, differing only in how a trailing "/" counts.

#include <cstdint>
#include <string>

#include "fsutil/ofxFileUtils.h"
#include "fuzz/check.h"
#include "library/VQAUUtils.h"

namespace {

bool endsWithSlash(const std::string& path) {
    return !path.empty() && path.back() == '/';
}

// The text after the last "/", or the whole path without one.
std::string afterLastSlash(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string withoutLastByte(const std::string& path) {
    return path.substr(0, path.size() - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string untouched = path;

    // getFileName: empty exactly when the path ends in "/", never a "/" inside.
    const std::string fileName = getFileName(path);
    check(fileName == afterLastSlash(path));
    check(fileName.find('/') == std::string::npos);
    check(path.ends_with(fileName));
    check(fileName.empty() == (path.empty() || endsWithSlash(path)));

    // getDirName: one trailing "/" is ignored, only one.
    const std::string dirName = getDirName(path);
    check(dirName == getFileName(endsWithSlash(path) ? withoutLastByte(path) : path));
    check(dirName.find('/') == std::string::npos);

    // ofxFileName: the same rule as getDirName (every caller passes a
    // non-empty path; the empty one must still give a name safely).
    check(ofxFileName(path) == dirName);

    // patchNameFromPath: like getFileName, but a trailing "/" stays with the
    // component before it; the root "/" names nothing.
    const std::string patchName = patchNameFromPath(path);
    check(path.ends_with(patchName));
    if (!endsWithSlash(path))
        check(patchName == fileName);
    else if (path == "/")
        check(patchName.empty());
    else
        check(patchName == getFileName(withoutLastByte(path)) + "/");

    check(path == untouched);
    return 0;
}
