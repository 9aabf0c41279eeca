#pragma once

// A stand-in `cp` first on PATH while the object lives (for this process and
// the programs it starts): it notes the source of each copy in its log and
// holds the copy of a folder named Gated until the gate opens or it is
// killed, so that a test can act while an install surely runs.

#include <string>

#include "testing/ScratchDir.h"

namespace testing_support {

class GatedCopy {
public:
    // Keeps its script, log and gate in `dir`.
    explicit GatedCopy(const ScratchDir& dir);
    // Lets a copy still held go on, and puts PATH back.
    ~GatedCopy();
    GatedCopy(const GatedCopy&) = delete;
    GatedCopy& operator=(const GatedCopy&) = delete;

    bool holdsGated() const { return log().find("/Gated\n") != std::string::npos; }
    // Lets the held copy, and any later one, go on.
    void openGate() const { writeFile(gate_, ""); }
    // The sources copied so far, one per line.
    std::string log() const { return pathExists(log_) ? readFile(log_) : ""; }

private:
    std::string log_, gate_, path_;
};

}  // namespace testing_support
