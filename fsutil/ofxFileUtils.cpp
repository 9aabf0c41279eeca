#include "fsutil/ofxFileUtils.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/fileCopy.h"
#include "fsutil/folderFlags.h"
#include "fsutil/treeRemoval.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cstdio>

std::string ofxFileName(std::string path) {
    if (!path.empty() && path.back() == '/') path.pop_back();
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ofxCreateDirectory(std::string path) {
    return mkdir(path.c_str(), 0777) == 0;
}

bool ofxFileExists(std::string path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool ofxIsDirectory(std::string path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        std::printf("File not found\n");
        return false;
    }
    return S_ISDIR(st.st_mode);
}

int ofxDeleteFile(std::string path) {
    return std::remove(path.c_str());
}

void ofxEmptyDir(std::string path) {
    UniqueFd directory(open(path.c_str(), folderFlags::read));
    if (directory) emptyOpenDirectory(std::move(directory), RemovalMode::asPermitted);
}

int ofxDeleteDir(std::string path) {
    return removeTree(path, RemovalMode::asPermitted) == 0 ? 0 : -1;
}

bool ofxCopyFile(std::string source, std::string destination) {
    return copyFileAtomically(source, destination) == 0;
}
