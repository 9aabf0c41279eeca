#include "app/LibraryQueue.h"

#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Blocks on `released` once `entered` is set; its step does nothing.
views::LibraryWrite blockedWrite(std::atomic<bool>& entered, std::shared_future<void> released) {
    return [&entered, released]() -> views::MainThreadStep {
        entered = true;
        released.wait();
        return [] {};
    };
}

void waitFor(const std::atomic<bool>& entered) {
    while (!entered) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Quitting never waits on the worker, whatever it waits on: stop() returns while the worker is
// held, a question it waits on is answered "keep" even if the user answers later, the requests
// waiting never run, and the count of them never goes below zero. Its start is still to be
// told to the main thread when stop() runs.
TEST(LibraryQueueTest, StopReturnsAtOnceWhateverTheWorkerWaitsOn) {
    for (const bool asking : {false, true}) {
        SCOPED_TRACE(asking ? "asking" : "held");
        std::atomic<bool> entered = false, laterRan = false;
        std::promise<void> release;
        std::optional<bool> replaced;
        int lowest = 0;
        {
            LibraryQueue queue;
            QObject::connect(&queue, &LibraryQueue::waitingChanged,
                             [&] { lowest = std::min(lowest, queue.waiting()); });
            if (asking)
                queue.install(
                    [&](InstallWatcher* watcher) -> views::MainThreadStep {
                        entered = true;
                        replaced = watcher->replacePermanently("Rev", {});
                        return [] {};
                    },
                    [](const std::string&, const TrashResult&, auto answer) { answer(true); });
            else
                queue.write(blockedWrite(entered, release.get_future().share()));
            queue.write([&]() -> views::MainThreadStep {
                laterRan = true;
                return [] {};
            });
            waitFor(entered);
            const Clock::time_point before = Clock::now();
            queue.stop();
            EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(100));
            EXPECT_EQ(queue.waiting(), 0);
            QTest::qWait(50);
            EXPECT_EQ(queue.waiting(), 0);
            if (!asking) release.set_value();
        }
        EXPECT_EQ(replaced, asking ? std::optional(false) : std::nullopt);
        EXPECT_FALSE(laterRan);
        EXPECT_EQ(lowest, 0);
    }
}

}  // namespace
