// Benchmarks the importer's file work against the standard tools doing the
// same work on the same data, and prints one table of the figures.
//
//   veltrano-bench [--runs N] [--only WORK-PREFIX]
//   veltrano-bench --one WORK ARGUMENTS...   (one run of ours; see ourWork.h)
//   veltrano-bench --measure discard|capture PROGRAM ARGUMENTS...
//                                            (one measured run; see childRun.h)
//
// The data goes to a scratch folder under the build tree, fixed at build time
// together with the library folder this build installs into; both are
// removed again at the end.

#include "bench/childRun.h"
#include "bench/ourWork.h"
#include "bench/report.h"
#include "bench/scratchData.h"
#include "bench/works.h"
#include "library/VQAUUtils.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr int kDivisors[] = {100, 10, 1};

// The scratch folder is emptied at the start (a run that was stopped leaves
// it behind) and removed at the end, also when a run fails.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string path) : path_(std::move(path)) { removeTree(path_); }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct Options {
    int runs = 5;
    std::string only;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (index + 1 >= argc) return false;
        if (argument == "--runs")
            options.runs = std::stoi(argv[++index]);
        else if (argument == "--only")
            options.only = argv[++index];
        else
            return false;
    }
    return options.runs > 0;
}

BenchPaths benchPaths() {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path window = self.parent_path() / "veltrano-window-bench";
    return {std::string(VELTRANO_BENCH_SCRATCH) + "/work", self.string(),
            fs::exists(window) ? window.string() : std::string()};
}

std::vector<Row> measureWork(const Work& work, const BenchPaths& paths, int runs) {
    std::vector<Row> rows;
    for (int divisor : kDivisors) {
        Row row;
        row.work = work.name;
        row.baseline = work.baseline;
        const Comparison comparison = work.setUp(paths, divisor, row.size);
        std::cerr << "==> " << work.name << ", " << row.size << std::endl;
        row.figures = measure(comparison, runs);
        clearWorkData(paths);
        if (!rows.empty()) row.growth = row.figures.ours / rows.back().figures.ours;
        if (divisor == 1) row.target = &work.target;
        rows.push_back(row);
    }
    return rows;
}

int runBenchmark(const Options& options) {
    // The library folder of this build must lie in the scratch folder: the
    // benchmark fills and empties it.
    if (!std::string_view(BASE_DIR).starts_with(VELTRANO_BENCH_SCRATCH "/")) {
        std::cerr << "the library folder is not the benchmark's own\n";
        return 1;
    }
    const ScratchFolder scratch(VELTRANO_BENCH_SCRATCH);
    // Earlier copies that a run replaces go to a trash of the benchmark's
    // own (the runs it starts inherit it), never to the user's.
    setenv("XDG_DATA_HOME", (std::string(VELTRANO_BENCH_SCRATCH) + "/data-home").c_str(), 1);
    const BenchPaths paths = benchPaths();
    clearWorkData(paths);
    const std::vector<Work> works = benchWorks(paths);

    std::vector<Row> rows;
    bool allMet = true;
    for (const Work& work : works) {
        if (!work.name.starts_with(options.only)) continue;
        for (Row& row : measureWork(work, paths, options.runs)) {
            allMet = allMet && meetsTarget(row);
            rows.push_back(std::move(row));
        }
    }

    std::cout << "Machine: " << machineLine(fs::path(scratch.path()).parent_path()) << "\n"
              << "Each figure is the median of " << options.runs
              << " runs, ours and the baseline in turn, as child processes on the same data.\n\n";
    printTable(std::cout, rows);
    if (paths.windowProgram.empty())
        std::cout << "\nThe window row needs the GUI build (VELTRANO_BUILD_GUI=ON).\n";
    return allMet ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 2 && std::string_view(argv[1]) == "--one")
            return runOurWork(std::vector<std::string>(argv + 2, argv + argc));
        if (argc >= 2 && std::string_view(argv[1]) == "--measure")
            return measureChild(std::vector<std::string>(argv + 2, argv + argc));
        Options options;
        if (!parseOptions(argc, argv, options)) {
            std::cerr << "usage: veltrano-bench [--runs N] [--only WORK-PREFIX]\n";
            return 2;
        }
        return runBenchmark(options);
    } catch (const std::exception& error) {
        std::cerr << "veltrano-bench: " << error.what() << "\n";
        return 1;
    }
}
