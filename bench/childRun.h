#pragma once

// Runs a program as a child process and measures it the way the benchmark
// compares ours with the standard tools: wall time from the start of the
// child to its end, and its peak resident memory.
//
// A child's peak memory counts the memory of the process it was started from
// as well (the kernel keeps the high-water mark across exec), so the
// benchmark, which holds its data, never starts the measured program itself:
// it runs this program's small --measure mode, which starts it, times it and
// reports the figures.

#include <string>
#include <vector>

struct ChildRun {
    double seconds = 0;
    long peakKiB = 0;
    // -1 when the program could not be started or a signal ended it.
    int exitCode = -1;
    // Standard output, when it was captured.
    std::string output;
};

// The variable through which the measured program learns the moment it was
// started (steady clock ticks), to time a moment of its own run from there.
inline constexpr char kLaunchedAtVariable[] = "VELTRANO_BENCH_LAUNCHED_AT";

enum class ChildOutput { discard, capture };

// argv[0] is looked up in PATH unless it holds a "/". Standard error stays
// the benchmark's own, so a failing tool's complaint shows.
ChildRun runChild(const std::vector<std::string>& argv, ChildOutput output);

// The --measure mode: arguments are "discard" or "capture", then the
// program's argv. Prints "<seconds> <peak KiB> <exit code>" on a line of its
// own, followed by the program's captured output.
int measureChild(const std::vector<std::string>& arguments);
