#pragma once

// A stand-in `cp` first on PATH while the object lives (for this process and
// the programs it starts): it notes the source of each copy in its log, and
// holds the copy of a folder named Gated until the gate is opened or it is
// killed, so that a test can act while an install is surely running.

#include <string>

#include "testing/ScratchDir.h"

namespace testing_support {

class GatedCopy {
public:
    // Keeps its script, log and gate in `dir`.
    explicit GatedCopy(const ScratchDir& dir);
    // Opens the gate for a copy still held, so it ends too.
    ~GatedCopy();
    GatedCopy(const GatedCopy&) = delete;
    GatedCopy& operator=(const GatedCopy&) = delete;

    // The copy of Gated has begun and waits at the gate.
    bool holdsGated() const;
    // Lets the held copy go on; false when none came to the gate in time.
    bool openGate(int patienceMs = 60000);
    // The sources copied so far, one per line, in order.
    std::string log() const;

private:
    std::string log_;
    std::string gate_;
    std::string path_;
};

}  // namespace testing_support
