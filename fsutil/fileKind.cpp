#include "fsutil/fileKind.h"

bool isRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isRegularFile(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool isSameFile(const struct stat& known, const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && info.st_dev == known.st_dev &&
           info.st_ino == known.st_ino;
}
