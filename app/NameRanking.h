#pragma once

// The order of a list of names by a collator, worked out in chunks that
// this thread and a helper thread take in turn: collation keys for tens of
// thousands of names cost more than the rest of the window's start, and a
// second core can make them while the window is still being built.

#include <QStringList>
#include <atomic>
#include <future>
#include <vector>

class QCollator;

class NameRanking {
public:
    // Starts on the helper thread at once. `makeCollator` gives each thread
    // a collator of its own.
    NameRanking(QStringList names, QCollator (*makeCollator)());
    ~NameRanking();
    NameRanking(const NameRanking&) = delete;
    NameRanking& operator=(const NameRanking&) = delete;

    // Each name's place in the order (names equal to the collator keep one
    // order all the same). Takes the chunks still waiting, then waits for
    // the helper. Once only.
    std::vector<int> ranks();

private:
    struct Chunk;
    void takeChunks();

    QStringList names_;
    QCollator (*makeCollator_)();
    std::vector<Chunk> chunks_;
    std::atomic<std::size_t> nextChunk_{0};
    std::future<void> helper_;
};
