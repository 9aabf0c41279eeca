#pragma once

// A fresh world-searchable temporary folder, removed with its content when the object goes.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    // Whole, through the stream buffer: a character at a time is slow in a debug build.
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << content).flush()) throw std::runtime_error("cannot write " + path);
}

class ScratchDir {
public:
    ScratchDir() : root_(std::filesystem::temp_directory_path() / "veltrano-test-XXXXXX") {
        if (!mkdtemp(root_.data())) throw std::runtime_error("cannot create scratch folder");
        chmod(root_.c_str(), 0755);
    }
    ~ScratchDir() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        // Tests may leave folders without write or search permission behind.
        for (const auto& entry : fs::recursive_directory_iterator(
                 root_, fs::directory_options::skip_permission_denied, ignored))
            if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    // Make what a test needs (parents too), return its path; throw on failure.
    std::string makeDir(const std::string& relative) const {
        std::filesystem::create_directories(path(relative));
        return path(relative);
    }
    std::string writeFile(const std::string& relative, const std::string& content) const {
        testing_support::writeFile(withParent(relative), content);
        return path(relative);
    }
    std::string makeSymlink(const std::string& relative, const std::string& target) const {
        std::filesystem::create_symlink(target, withParent(relative));
        return path(relative);
    }

private:
    std::string withParent(const std::string& relative) const {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        return path(relative);
    }
    std::string root_;
};

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
inline std::vector<std::string> entriesOf(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Path -> content, "<dir>", "-> target" for a link or "<other>"; links are never followed.
using Tree = std::map<std::string, std::string>;
inline Tree treeOf(const std::string& root) {
    namespace fs = std::filesystem;
    Tree tree;
    std::error_code missing;
    for (fs::recursive_directory_iterator it(root, missing), end; it != end; ++it) {
        const fs::file_status status = it->symlink_status();
        tree[it->path().lexically_relative(root).string()] =
            fs::is_symlink(status)        ? "-> " + fs::read_symlink(it->path()).string()
            : fs::is_directory(status)    ? "<dir>"
            : fs::is_regular_file(status) ? readFile(it->path())
                                          : "<other>";
    }
    return tree;
}

}  // namespace testing_support
