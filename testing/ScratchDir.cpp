#include "testing/ScratchDir.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

ScratchDir::ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    root_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/veltrano-test-XXXXXX";
    if (!mkdtemp(root_.data())) throw std::runtime_error("cannot create scratch folder");
    chmod(root_.c_str(), 0755);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    // Tests may leave folders without write or search permission behind.
    for (const auto& entry : fs::recursive_directory_iterator(
             root_, fs::directory_options::skip_permission_denied, ignored))
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

std::string ScratchDir::makeDir(const std::string& relative) const {
    fs::create_directories(path(relative));
    return path(relative);
}

std::string ScratchDir::writeFile(const std::string& relative, const std::string& content) const {
    fs::create_directories(fs::path(path(relative)).parent_path());
    testing_support::writeFile(path(relative), content);
    return path(relative);
}

std::string ScratchDir::makeSymlink(const std::string& relative, const std::string& target) const {
    fs::create_directories(fs::path(path(relative)).parent_path());
    fs::create_symlink(target, path(relative));
    return path(relative);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    // Whole, through the stream buffer: a character at a time is slow in a debug build.
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << content).flush()) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> entriesOf(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Tree treeOf(const std::string& root) {
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
