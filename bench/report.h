#pragma once

// The benchmark's output: the machine it ran on and one Markdown table, so
// the README can show it as printed.

#include "bench/comparison.h"
#include "bench/works.h"

#include <ostream>
#include <string>
#include <vector>

struct Row {
    std::string work;
    std::string baseline;
    std::string size;
    Figures figures;
    // Ours against ours at a tenth of the size; 0 for the smallest size.
    double growth = 0;
    // Only the full size is held to a target.
    const Target* target = nullptr;
};

bool meetsTarget(const Row& row);

// Cores, memory, processor, file system of `folder`, kernel and compiler.
std::string machineLine(const std::string& folder);

void printTable(std::ostream& out, const std::vector<Row>& rows);
