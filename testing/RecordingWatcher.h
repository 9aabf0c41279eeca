#pragma once

// Follows an install as the window would: records what it is told, answers as the test sets.

#include <functional>
#include <string>
#include <utility>
#include <vector>
#include "library/installation.h"
#include "testing/OutputCapture.h"

namespace testing_support {

struct RecordingWatcher : InstallWatcher {
    std::function<bool()> cancelWhen = [] { return false; };
    bool replaceAnswer = true;
    // What itemStarted and itemProgress were told: {bytes, files}.
    using Amount = std::pair<std::uint64_t, std::uint64_t>;
    std::vector<Amount> toCopy, progress;
    std::vector<std::string> asked;  // the patches replacePermanently was asked about
    bool toldWaiting = false;
    bool cancelled() const override { return cancelWhen(); }
    void itemStarted(std::size_t, std::size_t, const std::string&, const TreeSize& size) override {
        toCopy.push_back({size.bytes, size.files});
    }
    void itemProgress(const TreeSize& size) override {
        progress.push_back({size.bytes, size.files});
    }
    void waitingForLibrary() override { toldWaiting = true; }
    bool replacePermanently(const std::string& name, const TrashResult&) override {
        asked.push_back(name);
        return replaceAnswer;
    }
};

// installItems with its lines captured; the outcome of each item, in order.
struct Reported {
    InstallReport report;
    std::string output;
    std::vector<ItemOutcome> outcomes() const {
        std::vector<ItemOutcome> outcomes;
        for (const ItemReport& item : report.items) outcomes.push_back(item.outcome);
        return outcomes;
    }
};
inline Reported installReported(std::vector<std::string> items, InstallWatcher* watcher = nullptr) {
    Reported reported;
    reported.output = captureStdout([&] { reported.report = installItems(items, watcher); });
    return reported;
}

}  // namespace testing_support
