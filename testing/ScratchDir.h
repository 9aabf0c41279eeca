#pragma once

// A fresh temporary folder for one test, removed with everything in it when
// the object goes. It is world-searchable so that a child running without
// privileges can reach what the test prepares inside it.

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
    // root + "/" + relative
    std::string path(const std::string& relative) const;

    // Helpers that create what a test needs (parents included) and return its
    // full path. They throw on failure: a broken fixture must not pass.
    std::string makeDir(const std::string& relative) const;
    std::string writeFile(const std::string& relative, const std::string& content) const;
    std::string makeSymlink(const std::string& relative, const std::string& target) const;

private:
    std::string root_;
};

// Helpers on absolute paths.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool pathExists(const std::string& path);   // lstat: a dangling link exists
bool isDirectory(const std::string& path);  // lstat: a link is not a directory
bool isSymlink(const std::string& path);
// Names in a directory (hidden ones included), sorted.
std::vector<std::string> entriesOf(const std::string& path);

}  // namespace testing_support
