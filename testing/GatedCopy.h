#pragma once

// A stand-in `cp` that holds a copy until the test lets it go on.

#include <cstdlib>
#include <string>

#include "testing/ScratchDir.h"
#include "testing/StandInCp.h"

namespace testing_support {

// While the object lives, cp logs the source of each copy and holds that of a folder named
// Gated until the gate opens: before copying it, or with `copyFirst` once it is copied whole.
class GatedCopy {
public:
    explicit GatedCopy(bool copyFirst = false) {
        const std::string hold = "until [ -e '" + gate_ + "' ]; do sleep 0.01; done";
        const std::string path = writeStandInCp(
            dir_,
            "echo \"$SOURCE\" >>'" + log_ + "'\ncase \"$SOURCE\" in */Gated) " +
                (copyFirst ? "(PATH=${PATH#*:}; exec cp \"$@\") && " + hold + " && exit" : hold) +
                ";; esac");
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
