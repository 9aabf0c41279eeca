#pragma once

// One line of the benchmark: our operation and the standard tool doing the
// same work on the same data, each run several times in turn, as child
// processes, with the page cache warm for both.

#include "bench/childRun.h"

#include <functional>
#include <string>
#include <vector>

struct Side {
    std::vector<std::string> command;
    ChildOutput output = ChildOutput::discard;
    // Untimed, before every run: puts the data back the way the run expects it.
    std::function<void()> prepare;
    // Whether a run did the work it was asked to; a failed run stops the benchmark.
    std::function<bool(const ChildRun&)> succeeded;
    // The child prints its own figure in seconds on its last line (for a
    // span inside a process, such as start to first paint) instead of being
    // timed whole.
    bool reportsSeconds = false;
};

struct Comparison {
    Side ours;
    // No command: ours is measured alone.
    Side theirs;
};

struct Figures {
    double ours = 0;    // median seconds
    double theirs = 0;  // median seconds
    long oursPeakKiB = 0;
    long theirsPeakKiB = 0;
};

// A first run of each side warms the caches and is not counted; then `runs`
// runs of each, alternating which side goes first.
Figures measure(const Comparison& comparison, int runs);

// Checks that a run exited with `code`.
std::function<bool(const ChildRun&)> exitsWith(int code);
// Checks that a run exited with `code` and printed exactly `output`.
std::function<bool(const ChildRun&)> printsAndExits(std::string output, int code);
