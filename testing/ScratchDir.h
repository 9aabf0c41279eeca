#pragma once

// A fresh world-searchable temporary folder, removed with its content when the object goes.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    // Make what a test needs (parents too), return its path; throw on failure.
    std::string makeDir(const std::string& relative) const;
    std::string writeFile(const std::string& relative, const std::string& content) const;
    std::string makeSymlink(const std::string& relative, const std::string& target) const;

private:
    std::string root_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// By lstat: a dangling link exists, and a link is never a directory.
inline bool pathExists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}
inline bool isDirectory(const std::string& path) {
    return std::filesystem::is_directory(std::filesystem::symlink_status(path));
}
inline bool isSymlink(const std::string& path) {
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path));
}

// Names in a directory (hidden ones included), sorted.
std::vector<std::string> entriesOf(const std::string& path);

// Path -> content, "<dir>", "-> target" for a link or "<other>"; links are never followed.
using Tree = std::map<std::string, std::string>;
Tree treeOf(const std::string& root);

}  // namespace testing_support
