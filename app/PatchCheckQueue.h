#pragma once

// The window's patch checker: checks run one at a time on a thread of their
// own, which alone keeps the results between them, and each hands its
// findings to the main thread whole. A check of the library still waiting
// when a later one comes is skipped, so a storm of changes on disk costs one
// check per change seen while the one before ran.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <optional>

#include "app/WorkerThread.h"
#include "app/patchCheckCache.h"
#include "app/workers.h"

class PatchCheckQueue : public QObject, public workers::PatchChecker {
public:
    explicit PatchCheckQueue(QObject* parent = nullptr);
    // Drops the checks not started and waits for the running one; what they
    // would have handed over never runs.
    ~PatchCheckQueue() override = default;

    void checkLibrary(Show show) override;
    void checkPatches(std::vector<std::string> folders, Show show) override;

    // A check was asked for whose findings have not been handed over yet.
    bool checking() const { return unfinished_ > 0; }

private:
    // Runs the check on the worker and hands what it found to `show`,
    // unless it was skipped (found nothing at all).
    void post(std::function<std::optional<PatchFindings>(PatchCheckCache&)> check, Show show);

    // Used on the worker's thread only.
    PatchCheckCache cache_;
    // The number of the latest check of the library asked for.
    std::atomic<std::uint64_t> latestLibraryCheck_{0};
    // Kept on the main thread.
    int unfinished_ = 0;
    // Last: it goes first, while what its checks reach is still there.
    WorkerThread worker_;
};
