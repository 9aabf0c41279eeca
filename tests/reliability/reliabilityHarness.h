#pragma once

// Shared by the reliability tests: patch folders, installs in a child.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "testing/ChildProcess.h"
#include "testing/GatedCopy.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"

namespace testing_support {

// `relative`/<name> with <name>.pd (`main`) and `files` files of `bytes` bytes from `version`.
inline std::string writePatchFolder(const ScratchDir& dir, const std::string& relative, int files,
                                    char version, std::size_t bytes = 100,
                                    const std::string& main = kEffect) {
    const std::string name = std::filesystem::path(relative).filename().string();
    dir.writeFile(relative + "/" + name + ".pd", main);
    for (int i = 0; i < files; ++i) {
        // Each version has a file of its own, so neither copy is a subset of the other.
        const std::string fileName = i == 0 ? std::string("only-") + version + ".txt"
                                            : "sample" + std::to_string(i) + ".wav";
        std::string content(bytes, version);
        content.replace(0, std::min(bytes, fileName.size()), fileName);
        dir.writeFile(relative + "/" + (i % 4 == 3 ? "sub/" : "") + fileName, content);
    }
    return dir.path(relative);
}

// Whether installFiles installed anything, as a child's exit code.
constexpr int kInstalled = 0, kNothingInstalled = 1;
inline int installOutcome(const std::vector<std::string>& items) {
    return installQuietly(items).type ? kInstalled : kNothingInstalled;
}

// Installs `items` in a child.
inline StartedChild startInstall(const std::vector<std::string>& items) {
    return StartedChild([items] { return installOutcome(items); });
}

// Everything in and around the test library: the folder that holds BASE_DIR.
inline Tree libraryTree() {
    return treeOf(ScratchLibrary::parentDir());
}

// A fresh test library, and a folder for what is installed into it.
class LibraryScene : public ::testing::Test {
protected:
    ScratchLibrary library;
    ScratchDir in;
};

}  // namespace testing_support
