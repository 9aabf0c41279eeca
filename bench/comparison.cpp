#include "bench/comparison.h"

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

std::string commandLine(const std::vector<std::string>& command) {
    std::string line;
    for (const std::string& word : command) line += (line.empty() ? "" : " ") + word;
    return line;
}

// The figure a program reports on the last line of its output; the lines
// before it are the library's own diagnostics.
double lastLineNumber(const std::string& output) {
    const std::string::size_type end = output.find_last_not_of('\n');
    if (end == std::string::npos) return 0;
    const std::string::size_type lineStart = output.rfind('\n', end);
    return std::strtod(output.c_str() + (lineStart == std::string::npos ? 0 : lineStart + 1),
                       nullptr);
}

ChildRun runOnce(const Side& side) {
    if (side.prepare) side.prepare();
    // Dirty pages of the preparation are written out first, so that neither
    // side pays for the other's writes.
    sync();
    ChildRun run = runChild(side.command, side.output);
    if (run.exitCode < 0 || (side.succeeded && !side.succeeded(run)))
        throw std::runtime_error("this run failed (exit code " + std::to_string(run.exitCode) +
                                 "): " + commandLine(side.command));
    if (side.reportsSeconds) run.seconds = lastLineNumber(run.output);
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

Figures measure(const Comparison& comparison, int runs) {
    const bool hasBaseline = !comparison.theirs.command.empty();
    runOnce(comparison.ours);
    if (hasBaseline) runOnce(comparison.theirs);
    std::vector<double> ours, theirs;
    Figures figures;
    for (int run = 0; run < runs; ++run) {
        const bool oursFirst = run % 2 == 0;
        ChildRun oursRun, theirsRun;
        if (oursFirst) oursRun = runOnce(comparison.ours);
        if (hasBaseline) theirsRun = runOnce(comparison.theirs);
        if (!oursFirst) oursRun = runOnce(comparison.ours);
        ours.push_back(oursRun.seconds);
        theirs.push_back(theirsRun.seconds);
        figures.oursPeakKiB = std::max(figures.oursPeakKiB, oursRun.peakKiB);
        figures.theirsPeakKiB = std::max(figures.theirsPeakKiB, theirsRun.peakKiB);
    }
    figures.ours = median(ours);
    figures.theirs = median(theirs);
    return figures;
}

std::function<bool(const ChildRun&)> exitsWith(int code) {
    return [code](const ChildRun& run) { return run.exitCode == code; };
}

std::function<bool(const ChildRun&)> printsAndExits(std::string output, int code) {
    return [output = std::move(output), code](const ChildRun& run) {
        return run.exitCode == code && run.output == output;
    };
}
