#include "app/LibraryQueue.h"

#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

// stop() returns at once whatever the worker waits on; a question it waits on is answered "keep"
// even if the user answers later; the requests waiting never run; the count of them stays at zero
// when the worker's start reaches the main thread after stop().
TEST(LibraryQueueTest, StopReturnsAtOnceWhateverTheWorkerWaitsOn) {
    for (const bool asking : {false, true}) {
        SCOPED_TRACE(asking ? "asking" : "held");
        std::atomic<bool> entered = false, laterRan = false;
        std::promise<void> release;
        std::optional<bool> replaced;
        {
            LibraryQueue queue;
            if (asking)
                queue.install(
                    [&](InstallWatcher* watcher) -> workers::MainThreadStep {
                        entered = true;
                        replaced = watcher->replacePermanently("Rev", {});
                        return [] {};
                    },
                    [](const std::string&, const TrashResult&, auto answer) { answer(true); });
            else
                queue.write(
                    [&, released = release.get_future().share()] {
                        entered = true;
                        released.wait();
                        return workers::MainThreadStep([] {});
                    },
                    "");
            queue.write([&] { return workers::MainThreadStep([&] { laterRan = true; }); },
                        "");
            while (!entered) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const auto before = std::chrono::steady_clock::now();
            queue.stop();
            EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
            QTest::qWait(50);
            EXPECT_EQ(queue.waiting(), 0);
            if (!asking) release.set_value();
        }
        EXPECT_EQ(replaced, asking ? std::optional(false) : std::nullopt);
        EXPECT_FALSE(laterRan);
    }
}
