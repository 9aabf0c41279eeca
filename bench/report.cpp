#include "bench/report.h"

#include <sys/statfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <cstdio>
#include <fstream>

namespace {

std::string fixed(double value, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string memoryText(long kiB) {
    return fixed(static_cast<double>(kiB) / 1024, "%.1f MiB");
}

std::string processorModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    const std::string key = "model name";
    for (std::string line; std::getline(cpuinfo, line);) {
        if (!line.starts_with(key)) continue;
        const std::string::size_type colon = line.find(':');
        if (colon != std::string::npos && colon + 2 <= line.size()) return line.substr(colon + 2);
    }
    return "unknown processor";
}

std::string fileSystemType(const std::string& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) return "unknown file system";
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0xEF53:
            return "ext4";
        case 0x58465342:
            return "xfs";
        case 0x9123683E:
            return "btrfs";
        case 0x01021994:
            return "tmpfs";
        case 0x794C7630:
            return "overlayfs";
        default:
            return fixed(static_cast<double>(info.f_type), "file system 0x%.0f");
    }
}

}  // namespace

bool meetsTarget(const Row& row) {
    if (!row.target) return true;
    const Target& target = *row.target;
    if (target.ratio > 0 && row.figures.ours / row.figures.theirs > target.ratio) return false;
    if (target.seconds > 0 && row.figures.ours > target.seconds) return false;
    return target.peakKiBBelow == 0 || row.figures.oursPeakKiB < target.peakKiBBelow;
}

std::string machineLine(const std::string& folder) {
    struct sysinfo memory {};
    sysinfo(&memory);
    const double gib = static_cast<double>(memory.totalram) * memory.mem_unit / (1 << 30);
    struct utsname system {};
    uname(&system);
    return std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores (" + processorModel() + "), " +
           fixed(gib, "%.1f GiB") + " memory, " + fileSystemType(folder) + ", " + system.sysname +
           " " + system.release + ", g++ " + __VERSION__;
}

void printTable(std::ostream& out, const std::vector<Row>& rows) {
    out << "| Work | Baseline | Size | Ours (s) | Baseline (s) | Ratio | Growth | Peak ours "
           "| Peak baseline | Target | Result |\n"
        << "|---|---|---|--:|--:|--:|--:|--:|--:|---|---|\n";
    for (const Row& row : rows) {
        const Figures& figures = row.figures;
        // A work without a baseline shows only its own figures.
        const bool compared = !row.baseline.empty();
        out << "| " << row.work << " | " << (compared ? row.baseline : "none") << " | " << row.size
            << " | " << fixed(figures.ours, "%.4f") << " | "
            << (compared ? fixed(figures.theirs, "%.4f") : "") << " | "
            << (compared ? fixed(figures.ours / figures.theirs, "%.2f") : "") << " | "
            << (row.growth > 0 ? fixed(row.growth, "x%.1f") : "") << " | "
            << memoryText(figures.oursPeakKiB) << " | "
            << (compared ? memoryText(figures.theirsPeakKiB) : "") << " | "
            << (row.target ? row.target->text : "") << " | "
            << (row.target ? (meetsTarget(row) ? "met" : "MISSED") : "") << " |\n";
    }
}
