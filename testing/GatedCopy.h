#pragma once

// Stand-in `cp` commands first on PATH, so a test can act while an install surely copies.

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "testing/ScratchDir.h"

namespace testing_support {

// A `cp` that runs `scriptLines` (with $SOURCE, $DESTINATION) first; the PATH that finds it.
inline std::string writeStandInCp(const ScratchDir& dir, const std::string& scriptLines) {
    const std::string script = dir.writeFile(
        "bin/cp", "#!/bin/sh\nfor arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n" +
                      scriptLines + "\nPATH=${PATH#*:}\nexec cp \"$@\"\n");
    chmod(script.c_str(), 0755);
    const char* path = std::getenv("PATH");
    return dir.path("bin") + ":" + (path ? path : "/usr/bin:/bin");
}

// While the object lives, cp logs the source of each copy and holds that of a folder named
// Gated until the gate opens.
class GatedCopy {
public:
    GatedCopy() {
        const std::string path = writeStandInCp(
            dir_, "echo \"$SOURCE\" >>'" + log_ + "'\ncase \"$SOURCE\" in */Gated) until [ -e '" +
                      gate_ + "' ]; do sleep 0.01; done;; esac");
        setenv("PATH", path.c_str(), 1);
    }
    ~GatedCopy() {
        openGate();
        setenv("PATH", path_.c_str(), 1);
    }

    bool holdsGated() const { return log().find("/Gated\n") != std::string::npos; }
    // Lets the held copy, and any later one, go on.
    void openGate() const { writeFile(gate_, ""); }
    // The sources copied so far, one per line.
    std::string log() const { return pathExists(log_) ? readFile(log_) : ""; }

private:
    ScratchDir dir_;
    std::string log_ = dir_.path("cp.log"), gate_ = dir_.path("gate"), path_ = std::getenv("PATH");
};

}  // namespace testing_support
