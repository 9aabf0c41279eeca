#include "tests/reliability/reliabilityHarness.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace testing_support {

std::string writePatchFolder(const ScratchDir& dir, const std::string& relative, int files,
                             char version, std::size_t bytes, const std::string& main) {
    const std::string name = std::filesystem::path(relative).filename().string();
    dir.writeFile(relative + "/" + name + ".pd", main);
    for (int i = 0; i < files; ++i) {
        // Each version has a file of its own too, so neither copy is a subset
        // of the other.
        const std::string fileName = i == 0 ? std::string("only-") + version + ".txt"
                                            : "sample" + std::to_string(i) + ".wav";
        std::string content(bytes, version);
        content.replace(0, std::min(bytes, fileName.size()), fileName);
        dir.writeFile(relative + "/" + (i % 4 == 3 ? "sub/" : "") + fileName, content);
    }
    return dir.path(relative);
}

std::string writeStandInCp(const ScratchDir& dir, const std::string& scriptLines) {
    const std::string script = dir.writeFile(
        "bin/cp", "#!/bin/sh\nfor arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n" +
                      scriptLines + "\nPATH=${PATH#*:}\nexec cp \"$@\"\n");
    chmod(script.c_str(), 0755);
    const char* path = std::getenv("PATH");
    return dir.path("bin") + ":" + (path ? path : "/usr/bin:/bin");
}

Tree libraryTree() {
    return treeOf(ScratchLibrary::parentDir());
}

std::vector<std::string> listedNames(const char* typeDir) {
    std::vector<std::string> names;
    for (const std::string& path : *loadPatches(typeDir))
        names.push_back(std::filesystem::path(path).filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_support
