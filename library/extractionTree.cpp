#include "library/extractionTree.h"

#include "fsutil/fileCopy.h"
#include "fsutil/folderFlags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <utility>

UniqueFd ExtractionTree::openOrMakeFolder(int parent, const std::string& name) {
    UniqueFd folder(openat(parent, name.c_str(), folderFlags::readNoLink));
    if (folder || errno != ENOENT) return folder;
    if (mkdirat(parent, name.c_str(), 0755) != 0) return UniqueFd();
    ++foldersMade_;
    folder.reset(openat(parent, name.c_str(), folderFlags::readNoLink));
    if (folder && fchmod(folder.get(), 0755) != 0) return UniqueFd();
    return folder;
}

int ExtractionTree::folder(const EntryPath& path, std::size_t depth) {
    depth = std::min(depth, path.size());
    const auto components = path.begin() + static_cast<std::ptrdiff_t>(depth);
    if (last_ && std::equal(path.begin(), components, lastPath_.begin(), lastPath_.end()))
        return last_.get();
    UniqueFd folder(fcntl(root_, F_DUPFD_CLOEXEC, 0));
    for (std::size_t i = 0; folder && i < depth; ++i)
        folder = openOrMakeFolder(folder.get(), path[i]);
    last_ = std::move(folder);
    lastPath_.assign(path.begin(), components);
    return last_ ? last_.get() : -1;
}

UniqueFd ExtractionTree::openFolder(const EntryPath& path, std::size_t depth) {
    const int found = folder(path, depth);
    return UniqueFd(found < 0 ? -1 : fcntl(found, F_DUPFD_CLOEXEC, 0));
}

UniqueFd ExtractionTree::createFile(const EntryPath& path, bool executable) {
    const int parent = folder(path, path.size() - 1);
    if (parent < 0) return UniqueFd();
    const mode_t mode = executable ? 0755 : 0644;
    UniqueFd file(openat(parent, path.back().c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (file && fchmod(file.get(), mode) != 0) return UniqueFd();
    return file;
}

bool ExtractionTree::makeHardLink(const EntryPath& existing, const EntryPath& link) {
    const UniqueFd from = openFolder(existing, existing.size() - 1);
    const UniqueFd to = from ? openFolder(link, link.size() - 1) : UniqueFd();
    return to && linkat(from.get(), existing.back().c_str(), to.get(), link.back().c_str(), 0) == 0;
}

bool ExtractionTree::makeSymlink(const EntryPath& link, const std::string& target) {
    const UniqueFd parent = openFolder(link, link.size() - 1);
    return parent && symlinkat(target.c_str(), parent.get(), link.back().c_str()) == 0;
}

bool ExtractionTree::replaceWithCopy(const EntryPath& path) {
    const UniqueFd parent = openFolder(path, path.size() - 1);
    if (!parent) return false;
    const char* name = path.back().c_str();
    const UniqueFd original(openat(parent.get(), name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info;
    if (!original || fstat(original.get(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) {
        errno = EEXIST;  // something else took the name
        return false;
    }
    // The open descriptor keeps the bytes readable once the name is gone.
    if (unlinkat(parent.get(), name, 0) != 0) return false;
    const mode_t mode = info.st_mode & 0777;
    const UniqueFd copy(
        openat(parent.get(), name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!copy || fchmod(copy.get(), mode) != 0) return false;
    const int error = copyFileBytes(original.get(), copy.get());
    errno = error;
    return error == 0;
}

bool ExtractionTree::replaceWithHardLink(const EntryPath& existing, const EntryPath& link) {
    const UniqueFd parent = openFolder(link, link.size() - 1);
    return parent && unlinkat(parent.get(), link.back().c_str(), 0) == 0 &&
           makeHardLink(existing, link);
}
