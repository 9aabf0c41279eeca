#pragma once

#include <functional>
#include <string>

// What the caller may do while cp runs: stop it, and look at the copy as it
// grows. Both are optional and called from the calling thread, about every
// tenth of a second.
struct CopyWatch {
    std::function<bool()> cancelled;
    std::function<void()> tick;
};

struct CopyOutcome {
    bool copied = false;
    bool cancelled = false;
    // Why cp failed, as cp said it last (its reason, without the paths).
    std::string reason;
};

// Copies the folder tree at source to destination with `cp -R -H`, run
// directly from an argument vector (no shell, so every byte of both paths
// reaches cp unchanged), and waits for it. A source that is a symbolic link is
// followed; links inside the tree stay links. cp is killed when this process
// dies, or when the watch cancels, so no copy goes on unseen. What cp says
// goes on to standard error as well. Copied only when cp exited with 0.
CopyOutcome copyTreeWithCp(const std::string& source, const std::string& destination,
                           const CopyWatch& watch = {});
