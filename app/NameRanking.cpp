#include "app/NameRanking.h"

#include <QCollator>
#include <algorithm>
#include <iterator>
#include <numeric>
#include <optional>

namespace {
// Chunks small enough to share the work evenly, large enough that merging
// them costs little.
constexpr int kNamesPerChunk = 2048;
constexpr int kMaxChunks = 4;
}  // namespace

struct NameRanking::Chunk {
    int first = 0, last = 0;
    std::vector<QCollatorSortKey> keys;  // of name first + i at i
    std::vector<int> rows;               // first to last, sorted
};

NameRanking::NameRanking(QStringList names, QCollator (*makeCollator)())
    : names_(std::move(names)), makeCollator_(makeCollator) {
    const int count = static_cast<int>(names_.size());
    const int chunks = std::clamp(count / kNamesPerChunk, 1, kMaxChunks);
    chunks_.resize(static_cast<std::size_t>(chunks));
    for (int chunk = 0; chunk < chunks; ++chunk) {
        chunks_[static_cast<std::size_t>(chunk)].first = count * chunk / chunks;
        chunks_[static_cast<std::size_t>(chunk)].last = count * (chunk + 1) / chunks;
    }
}

NameRanking::~NameRanking() {
    // A ranking no longer wanted: its own helper stops after its chunk.
    nextChunk_ = chunks_.size();
    if (helper_.valid()) helper_.wait();
}

void NameRanking::helpOnAnotherThread() {
    helper_ = std::async(std::launch::async, [this] { help(); });
}

void NameRanking::help() {
    // Made once a chunk is taken: a helper that comes late takes none.
    std::optional<QCollator> collator;
    for (std::size_t taken; (taken = nextChunk_++) < chunks_.size();) {
        if (!collator) collator.emplace(makeCollator_());
        Chunk& chunk = chunks_[taken];
        chunk.keys.reserve(static_cast<std::size_t>(chunk.last - chunk.first));
        for (int row = chunk.first; row < chunk.last; ++row)
            chunk.keys.push_back(collator->sortKey(names_[row]));
        chunk.rows.resize(chunk.keys.size());
        std::iota(chunk.rows.begin(), chunk.rows.end(), chunk.first);
        const auto key = [&chunk](int row) -> const QCollatorSortKey& {
            return chunk.keys[static_cast<std::size_t>(row - chunk.first)];
        };
        std::sort(chunk.rows.begin(), chunk.rows.end(), [&](int left, int right) {
            const int byCollator = key(left).compare(key(right));
            return byCollator != 0 ? byCollator < 0 : names_[left] < names_[right];
        });
        ++chunksDone_;
        chunksDone_.notify_all();
    }
}

std::vector<int> NameRanking::ranks() {
    help();
    for (std::size_t done; (done = chunksDone_) < chunks_.size();) chunksDone_.wait(done);
    std::vector<const QCollatorSortKey*> keyOf(static_cast<std::size_t>(names_.size()));
    for (const Chunk& chunk : chunks_)
        for (int row = chunk.first; row < chunk.last; ++row)
            keyOf[static_cast<std::size_t>(row)] =
                &chunk.keys[static_cast<std::size_t>(row - chunk.first)];
    const auto comesFirst = [&](int left, int right) {
        const int byCollator =
            keyOf[static_cast<std::size_t>(left)]->compare(*keyOf[static_cast<std::size_t>(right)]);
        return byCollator != 0 ? byCollator < 0 : names_[left] < names_[right];
    };
    // The sorted chunks merged pairwise until one is left.
    std::vector<std::vector<int>> runs;
    for (Chunk& chunk : chunks_) runs.push_back(std::move(chunk.rows));
    while (runs.size() > 1) {
        std::vector<std::vector<int>> merged;
        for (std::size_t run = 0; run + 1 < runs.size(); run += 2) {
            std::vector<int>& both = merged.emplace_back();
            both.reserve(runs[run].size() + runs[run + 1].size());
            std::merge(runs[run].begin(), runs[run].end(), runs[run + 1].begin(),
                       runs[run + 1].end(), std::back_inserter(both), comesFirst);
        }
        if (runs.size() % 2 == 1) merged.push_back(std::move(runs.back()));
        runs = std::move(merged);
    }
    std::vector<int> ranks(static_cast<std::size_t>(names_.size()));
    for (std::size_t place = 0; place < runs.front().size(); ++place)
        ranks[static_cast<std::size_t>(runs.front()[place])] = static_cast<int>(place);
    return ranks;
}
