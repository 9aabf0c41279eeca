#include "testing/ScratchDir.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

ScratchDir::ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/veltrano-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create scratch folder");
    chmod(pattern.c_str(), 0755);
    root_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    // Tests may leave folders without write or search permission behind.
    for (const auto& entry : fs::recursive_directory_iterator(
             root_, fs::directory_options::skip_permission_denied, ignored)) {
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
}

std::string ScratchDir::path(const std::string& relative) const {
    return root_ + "/" + relative;
}

std::string ScratchDir::makeDir(const std::string& relative) const {
    std::string full = path(relative);
    fs::create_directories(full);
    return full;
}

std::string ScratchDir::writeFile(const std::string& relative, const std::string& content) const {
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    testing_support::writeFile(full, content);
    return full;
}

std::string ScratchDir::makeSymlink(const std::string& relative, const std::string& target) const {
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    fs::create_symlink(target, full);
    return full;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool pathExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymlink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::vector<std::string> entriesOf(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_support
