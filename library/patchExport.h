#pragma once

// Exporting patch folders to one .zip archive, to hand patches to someone
// else: each folder at the top of the archive with everything it holds, its
// folders (empty ones too), files with their modes and times, and symbolic
// links as links, never followed; devices, pipes and sockets are left out.
// Names are stored as UTF-8 and flagged so, whatever the locale, so that
// installing the archive gives back the same patches byte for byte.
//
// The archive is never written in place: it grows in a hidden file beside the
// target and is renamed over it once complete, so the target is either what
// it was or the whole archive. A failure or a cancel removes what was written.

#include <string>
#include <vector>

#include "library/installation.h"

enum class ExportOutcome { exported, cancelled, failed };

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::failed;
    // For a failure: what could not be done and the system's reason, in
    // words ("cannot read “Echo/take.wav”: Permission denied").
    std::string reason;
};

// Writes the patch folders (paths; a link at the top is followed) to the zip
// archive `archive`. The watcher, when given, is told each folder as it
// begins (with the bytes its files hold) and the bytes read of it so far,
// and may cancel. Two folders of one name can't share the top of an archive:
// that fails before anything is written.
ExportResult exportPatches(const std::vector<std::string>& patchFolders, const std::string& archive,
                           InstallWatcher* watcher = nullptr);
