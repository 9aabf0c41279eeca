#include "library/extractionBudget.h"

#include <sys/statvfs.h>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

// Header sizes are untrusted: a sum that would overflow stays at the maximum.
std::uint64_t sum(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

}  // namespace

ExtractionBudget::ExtractionBudget(const ExtractionLimits& limits, std::uint64_t archiveSize,
                                   int rootFd, std::string archiveName)
    : limits_(limits),
      archiveSize_(archiveSize > 0 ? archiveSize : 1),
      rootFd_(rootFd),
      archiveName_(std::move(archiveName)) {}

std::string ExtractionBudget::addEntries(std::uint64_t count) {
    entries_ = sum(entries_, count);
    if (entries_ <= limits_.maxEntries) return {};
    return archiveName_ + ": more than " + std::to_string(limits_.maxEntries) +
           " entries (the entry limit)";
}

std::string ExtractionBudget::announce(std::uint64_t bytes) const {
    return exceeded(sum(written_, bytes), bytes);
}

std::string ExtractionBudget::add(std::uint64_t bytes, bool onDisk) {
    std::string failure = exceeded(sum(written_, bytes), onDisk ? bytes : 0);
    if (!failure.empty()) return failure;
    written_ += bytes;
    if (onDisk) roomSeen_ -= std::min(roomSeen_, bytes);
    return {};
}

std::string ExtractionBudget::exceeded(std::uint64_t total, std::uint64_t onDisk) const {
    if (total > limits_.maxTotalBytes)
        return archiveName_ + ": unpacks to more than " + formatSize(limits_.maxTotalBytes) +
               " (the size limit)";
    if (total > limits_.expansionFloorBytes &&
        static_cast<double>(total) > limits_.maxExpansion * static_cast<double>(archiveSize_)) {
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, "%g", limits_.maxExpansion);
        return archiveName_ + ": unpacks to more than " + ratio +
               " times its own size (the expansion limit)";
    }
    if (!fitsOnDisk(onDisk))
        return archiveName_ + ": would leave less than " + formatSize(limits_.keepFreeBytes) +
               " free on the disk (the free space reserve)";
    return {};
}

bool ExtractionBudget::fitsOnDisk(std::uint64_t bytes) const {
    if (bytes == 0) return true;
    // Asking the file system before every block would cost a system call per
    // block written. Its answer is used up instead, and it is asked again
    // when that is gone, and at least every kRecheckBytes, so that what
    // others write meanwhile counts soon.
    constexpr std::uint64_t kRecheckBytes = 16 * 1024 * 1024;
    if (bytes > roomSeen_) {
        struct statvfs space;
        if (fstatvfs(rootFd_, &space) != 0) return true;
        const std::uint64_t available = std::uint64_t{space.f_bavail} * space.f_frsize;
        if (available < limits_.keepFreeBytes || available - limits_.keepFreeBytes < bytes)
            return false;
        roomSeen_ = std::min(available - limits_.keepFreeBytes, kRecheckBytes + bytes);
    }
    return true;
}

std::string formatSize(std::uint64_t bytes) {
    static const char* const kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    std::size_t unit = 0;
    double value = static_cast<double>(bytes);
    while (value >= 1024 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.4g %s", value, kUnits[unit]);
    return text;
}
