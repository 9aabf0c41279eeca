#include "tests/reliability/reliabilityHarness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "fsutil/UniqueFd.h"
#include "library/VQAUUtils.h"
#include "testing/ScratchLibrary.h"

namespace fs = std::filesystem;
using testing_support::ScratchDir;

namespace testing_support {

namespace {

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    throw std::runtime_error("no " + program + " on PATH");
}

std::string contentOf(const std::string& path) {
    std::string content;
    const UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) throw std::runtime_error("cannot read " + path);
    char buffer[1 << 16];
    for (ssize_t got; (got = read(file.get(), buffer, sizeof buffer)) > 0;)
        content.append(buffer, static_cast<std::size_t>(got));
    return content;
}

bool isAtOrBelow(const std::string& key, const std::string& prefix) {
    return key == prefix || key.starts_with(prefix + "/");
}

// The tree with the subtree at `prefix` replaced (or removed when `subtree`
// is null).
Tree withSubtree(Tree tree, const std::string& prefix, const Tree* subtree) {
    std::erase_if(tree, [&](const auto& entry) { return isAtOrBelow(entry.first, prefix); });
    if (!subtree) return tree;
    tree[prefix] = "<dir>";
    for (const auto& [relative, content] : *subtree) tree[prefix + "/" + relative] = content;
    return tree;
}

// Path of a type directory's entry relative to the folder libraryTree reads.
std::string libraryKey(const char* typeDir, const std::string& name) {
    return fs::relative(std::string(typeDir) + "/" + name,
                        testing_support::ScratchLibrary::parentDir())
        .string();
}

}  // namespace

Tree treeOf(const std::string& root) {
    Tree tree;
    std::error_code missing;
    const std::size_t prefix = fs::path(root).string().size() + 1;
    for (fs::recursive_directory_iterator it(root, missing), end; it != end; ++it) {
        const fs::path& path = it->path();
        const std::string relative = path.string().substr(prefix);
        const fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status))
            tree[relative] = "-> " + fs::read_symlink(path).string();
        else if (fs::is_directory(status))
            tree[relative] = "<dir>";
        else if (fs::is_regular_file(status))
            tree[relative] = contentOf(path.string());
        else
            tree[relative] = "<other>";
    }
    return tree;
}

Tree libraryTree() {
    return treeOf(testing_support::ScratchLibrary::parentDir());
}

std::string writePatchFolder(const ScratchDir& dir, const std::string& relative,
                             const std::string& mainContent, int files, std::size_t bytes,
                             char version) {
    const std::string name = fs::path(relative).filename().string();
    dir.writeFile(relative + "/" + name + ".pd", mainContent);
    for (int i = 0; i < files; ++i) {
        // Each version has a file of its own too, so neither copy is a subset
        // of the other.
        const std::string fileName = i == 0 ? std::string("only-") + version + ".txt"
                                            : "sample" + std::to_string(i) + ".wav";
        std::string content(bytes, version);
        content.replace(0, fileName.size(), fileName);
        dir.writeFile(relative + "/" + (i % 4 == 3 ? "sub/" : "") + fileName, content);
    }
    return dir.path(relative);
}

std::string writeStandInCp(const ScratchDir& dir, const std::string& scriptLines) {
    const std::string script =
        dir.writeFile("bin/cp", "#!/bin/sh\nREAL_CP='" + findOnPath("cp") +
                                    "'\n"
                                    "for arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n" +
                                    scriptLines + "\nexec \"$REAL_CP\" \"$@\"\n");
    chmod(script.c_str(), 0755);
    return dir.path("bin");
}

void putFirstOnPath(const std::string& folder) {
    const char* path = std::getenv("PATH");
    setenv("PATH", (folder + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
}

void silenceStdout() {
    const UniqueFd devNull(open("/dev/null", O_WRONLY | O_CLOEXEC));
    dup2(devNull.get(), STDOUT_FILENO);
}

bool hasHiddenEntries(const char* typeDir) {
    for (const std::string& name : entriesOf(typeDir))
        if (name.starts_with(".")) return true;
    return false;
}

Holds whatLibraryHolds(Tree before, const char* typeDir, const std::string& name,
                       const Tree& replacement, bool ignoreStaging) {
    Tree now = libraryTree();
    if (ignoreStaging) {
        // Staging folders are the type directory's hidden entries.
        std::string hidden = libraryKey(typeDir, "x");
        hidden.back() = '.';
        const auto isStaging = [&](const auto& entry) { return entry.first.starts_with(hidden); };
        std::erase_if(now, isStaging);
        std::erase_if(before, isStaging);
    }
    if (now == before) return Holds::earlier;
    if (now == withSubtree(before, libraryKey(typeDir, name), &replacement))
        return Holds::replacement;
    return Holds::neither;
}

::testing::AssertionResult listsExactly(const char* typeDir, std::vector<std::string> names) {
    std::vector<std::string> listed;
    for (const std::string& path : *loadPatches(typeDir)) {
        const std::string name = fs::path(path).filename().string();
        if (name.starts_with(".")) return ::testing::AssertionFailure() << "lists " << path;
        listed.push_back(name);
    }
    std::sort(listed.begin(), listed.end());
    std::sort(names.begin(), names.end());
    if (listed == names) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "lists";
    for (const std::string& name : listed) failure << " " << name;
    return failure;
}

}  // namespace testing_support
