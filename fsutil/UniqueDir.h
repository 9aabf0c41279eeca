#pragma once

// Owns one directory stream and closes it when it goes.

#include <dirent.h>
#include <memory>

struct DirStreamCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

using UniqueDir = std::unique_ptr<DIR, DirStreamCloser>;
