#pragma once

// The measured works: what each compares, against which tool, and the data
// it needs at a given fraction of its full size.

#include "bench/comparison.h"

#include <functional>
#include <string>
#include <vector>

struct BenchPaths {
    // Scratch folder for the data; emptied after every line.
    std::string work;
    // This program, run with --one for each run of ours.
    std::string helper;
    // The window start-up program; empty when it was not built.
    std::string windowProgram;
};

struct Target {
    // Ours against the baseline; 0 for a work without a baseline.
    double ratio = 0;
    // When set, ours must also stay below this peak memory.
    long peakKiBBelow = 0;
    // When set, ours must take at most this long, whatever the baseline.
    double seconds = 0;
    std::string text;
};

struct Work {
    // Makes the data for 1/divisor of the full size; `size` says how much.
    using SetUp =
        std::function<Comparison(const BenchPaths& paths, int divisor, std::string& size)>;

    std::string name;
    // Empty for a work held to a time of its own rather than to a tool.
    std::string baseline;
    Target target;
    SetUp setUp;
};

std::vector<Work> benchWorks(const BenchPaths& paths);

// Everything a work's data left behind: the scratch folder and the type
// directories' contents.
void clearWorkData(const BenchPaths& paths);
