#pragma once

// Where one install makes its copies: a hidden folder of a type directory
// with a name of its own, so listings never show a half-made patch, two
// installs never share a folder, and the final rename into place stays on
// the type directory's file system.

#include <string>

class StagingFolder {
public:
    // Creates the folder in the type directory; check with bool.
    explicit StagingFolder(const char* typeDir);
    // Removes the folder with whatever is still in it.
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    explicit operator bool() const { return !path_.empty(); }
    // Why the folder could not be made (an errno), when it could not.
    int error() const { return error_; }
    // The path of `name` inside the folder.
    std::string path(const std::string& name) const { return path_ + "/" + name; }
    // Leaves the folder where it is, for what it holds must not be deleted:
    // the next install's clearStagingLeftovers deals with it.
    void keep() { path_.clear(); }

private:
    std::string path_;
    int error_ = 0;
};

// Clears what interrupted installs left in the type directory, whatever the
// patch they were making: what the leftovers hold goes to the trash. A
// leftover holding something no trash takes stays as it is (it is hidden),
// with a line on standard output, to be tried again next time. Only while
// holding the LibraryLock: then nobody else is staging.
void clearStagingLeftovers(const char* typeDir);
