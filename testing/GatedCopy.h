#pragma once

// A stand-in `cp` first on PATH while the object lives: it logs the source of
// each copy and holds that of a folder named Gated until the gate opens, so a
// test can act while an install surely runs.

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "testing/ScratchDir.h"

namespace testing_support {

class GatedCopy {
public:
    GatedCopy() {
        // The last argument is the destination, the one before it the source.
        const std::string script = dir_.writeFile(
            "bin/cp",
            "#!/bin/sh\nfor arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n"
            "echo \"$SOURCE\" >>'" +
                log_ + "'\ncase \"$SOURCE\" in */Gated) until [ -e '" + gate_ +
                "' ]; do sleep 0.01; done;; esac\nPATH='" + path_ + "' exec cp \"$@\"\n");
        chmod(script.c_str(), 0755);
        setenv("PATH", (dir_.path("bin") + ":" + path_).c_str(), 1);
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
