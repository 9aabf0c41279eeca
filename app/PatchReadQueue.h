#pragma once

// The window's patch reader: reads run one at a time, in the order asked
// for, on a thread of their own, apart from the library's writes, so a long
// install never delays them and a huge patch never stops the window. What
// each read ends with runs on the main thread.

#include <QObject>

#include "app/WorkerThread.h"
#include "app/workers.h"

class PatchReadQueue : public QObject, public workers::PatchReader {
public:
    explicit PatchReadQueue(QObject* parent = nullptr);
    // Drops the reads not started and waits for the running one; what they
    // would have ended with never runs.
    ~PatchReadQueue() override = default;

    void read(workers::PatchRead read) override;

    // A read was asked for whose step has not run yet.
    bool reading() const { return unfinished_ > 0; }

private:
    // Kept on the main thread.
    int unfinished_ = 0;
    // Last: it goes first, while what its reads reach is still there.
    WorkerThread worker_;
};
