#pragma once

// Safe extraction of patch archives (.zip and the tar family) with libarchive.
//
// Nothing an archive holds can write outside the folder it is extracted into:
// every file and folder is created through directory descriptors below it,
// never following a link; names that are absolute, hold "..", or are empty
// are refused; symbolic links are made last, and only when relative and
// staying inside their patch folder (only leading ".." may climb); hard links
// only to a file extracted before them, and one that joins two patch folders
// of a pack becomes a copy of its own; devices, FIFOs and sockets are skipped. A second entry of a
// path already extracted is refused. Folders come out 0755, files 0644 (0755 when the entry had an
// execute bit); owners and times are not restored, so the files belong to
// the user and carry the time of extraction.
// Names that are not UTF-8 (old zips in code page 437) are read as code page
// 437 and converted.
//
// Any refusal, limit, damage, encryption or cancel fails the whole archive:
// everything written is removed again.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ExtractionLimits {
    // Bytes the extracted files hold in all, counted as they are written
    // (holes of sparse files and hard-linked copies included), whatever the
    // headers claim.
    std::uint64_t maxTotalBytes;
    std::uint64_t maxEntries;  // the archive's entries and the folders made for their paths
    // Bytes written / the archive's file size, checked as it grows once more
    // than expansionFloorBytes are written.
    double maxExpansion;
    std::uint64_t expansionFloorBytes;
    // Free space that must stay on the file system of the target folder.
    std::uint64_t keepFreeBytes;
};

// The program's limits. A sample pack can be gigabytes, so the total is
// 16 GiB and 100,000 entries. Patches are text and compress about 10 times,
// audio barely at all, but samples padded with silence compress a hundred
// times and more, while a zip bomb expands a thousand times and far more:
// 1000 times stops bombs early, once 16 MiB are written (below that a small
// archive of very repetitive text may expand further, harmlessly). 256 MiB
// stay free, so the desktop keeps working.
ExtractionLimits defaultExtractionLimits();

struct ExtractionHooks {              // both optional; called per block, on the calling thread
    std::function<bool()> cancelled;  // true: stop, clean up, fail "cancelled"
    std::function<void(std::uint64_t bytesWritten)> progress;
};

struct ExtractedPatches {
    std::vector<std::string> patchFolders;  // full paths inside `into`: folders N holding N.pd
    std::string failure;  // empty on success; else one line saying why nothing is installed
};

// Extracts `archive` into `into` (an existing, empty folder on the library's
// file system) and finds its patches, sorted by name, after dropping
// __MACOSX/, .DS_Store and Thumbs.db entries:
//   - one top-level folder N holding N.pd: the patch N;
//   - several top-level patch folders and nothing else: each of them;
//   - one top-level folder holding only patch folders: each of them;
//   - top-level entries including the file S.pd, where S is archiveStem:
//     the patch S, a new folder holding all of them;
//   - anything else: a failure saying so.
// On failure everything written into `into` is removed again (`into` itself
// stays) and patchFolders is empty. Prints nothing; never throws.
ExtractedPatches extractPatches(const std::string& archive, const std::string& into,
                                const ExtractionLimits& limits = defaultExtractionLimits(),
                                const ExtractionHooks& hooks = {});
