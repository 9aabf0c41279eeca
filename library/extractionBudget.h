#pragma once

// The limits that stop an archive bomb early: entries, bytes in all, the
// expansion over the archive's own size, and the free space left on the
// file system. Each check answers with the failure line, empty while within.

#include "library/archiveExtraction.h"

#include <cstdint>
#include <string>

class ExtractionBudget {
public:
    // `rootFd` is the extraction folder, asked for free space; not owned.
    ExtractionBudget(const ExtractionLimits& limits, std::uint64_t archiveSize, int rootFd,
                     std::string archiveName);

    // Entries of the archive, and folders made for them without an entry.
    std::string addEntries(std::uint64_t count);
    // Before writing an entry that says it holds `bytes`, so an honest header
    // of a bomb stops it before anything is written.
    std::string announce(std::uint64_t bytes) const;
    // The tree grows by `bytes`; `onDisk` when they are about to be written
    // (a hard link takes no space, yet a copy of the tree would).
    std::string add(std::uint64_t bytes, bool onDisk);
    std::uint64_t written() const { return written_; }

private:
    std::string exceeded(std::uint64_t total, std::uint64_t onDisk) const;
    // Whether `bytes` more leave the reserve free on the disk.
    bool fitsOnDisk(std::uint64_t bytes) const;

    ExtractionLimits limits_;
    std::uint64_t archiveSize_;
    int rootFd_;
    std::string archiveName_;
    std::uint64_t entries_ = 0;
    std::uint64_t written_ = 0;
    // Bytes that the free space seen at the last asking still had room for
    // above the reserve, less what was written since.
    mutable std::uint64_t roomSeen_ = 0;
};

// "512 bytes", "3 KiB", "16 GiB": sizes in failure lines.
std::string formatSize(std::uint64_t bytes);
