#pragma once

// The order of a list of names by a collator, worked out in chunks that the
// threads asked to help take in turn: collation keys for tens of thousands
// of names cost more than the rest of the window's start, and a second core
// can make them while the window is still being built.

#include <QStringList>
#include <atomic>
#include <future>
#include <memory>
#include <vector>

class QCollator;

class NameRanking {
public:
    // Nothing is worked out yet. `makeCollator` gives each thread a collator
    // of its own.
    NameRanking(QStringList names, QCollator (*makeCollator)());
    ~NameRanking();
    NameRanking(const NameRanking&) = delete;
    NameRanking& operator=(const NameRanking&) = delete;

    const QStringList& names() const { return names_; }
    // Takes chunks on the calling thread until none is left.
    void help();
    // Starts a thread of its own that helps.
    void helpOnAnotherThread();
    // Each name's place in the order (names equal to the collator keep one
    // order all the same). Takes the chunks still waiting, then waits for
    // those being worked out. Once only.
    std::vector<int> ranks();

private:
    struct Chunk;

    QStringList names_;
    QCollator (*makeCollator_)();
    std::vector<Chunk> chunks_;
    std::atomic<std::size_t> nextChunk_{0};
    std::atomic<std::size_t> chunksDone_{0};
    std::future<void> helper_;
};

// A ranking that another thread is still setting up; null if it could not.
using RankingToCome = std::shared_future<std::shared_ptr<NameRanking>>;
