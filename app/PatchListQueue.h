#pragma once

// The window's patch lister: lists are made on a thread of their own, one at
// a time, and handed to the main thread whole. A request still waiting when
// a later one comes is skipped, so a storm of changes on disk costs one
// list per change seen while the one before was made, not one per change.

#include <QObject>
#include <atomic>
#include <cstdint>

#include "app/WorkerThread.h"
#include "app/workers.h"

class PatchListQueue : public QObject, public workers::PatchLister {
public:
    explicit PatchListQueue(QObject* parent = nullptr);
    // Waits for the list being made; what the lists would be shown with never runs.
    ~PatchListQueue() override = default;

    void list(const char* typeDir, std::uint64_t sequence,
              std::function<void(PatchList)> show) override;

    // A list was asked for that has not been handed over yet.
    bool listing() const { return unfinished_ > 0; }

private:
    // The number of the latest request; a waiting request with an older one is skipped.
    std::atomic<std::uint64_t> latest_{0};
    // Kept on the main thread.
    int unfinished_ = 0;
    // Last: it goes first, while what its lists reach is still there.
    WorkerThread worker_;
};
