#include "app/StderrCapture.h"

#include <unistd.h>
#include <cstdio>
#include <regex>
#include <stdexcept>

namespace app_testing {

namespace {
// Closes the descriptor it holds.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};
}  // namespace

std::string captureStderr(const std::function<void()>& fn) {
    char name[] = "/tmp/veltrano-stderr-XXXXXX";
    Fd capture(mkstemp(name));
    if (capture.get() < 0) throw std::runtime_error("cannot create capture file");
    unlink(name);
    std::fflush(stderr);
    Fd saved(dup(STDERR_FILENO));
    dup2(capture.get(), STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved.get(), STDERR_FILENO);
    std::string text;
    char buffer[4096];
    ssize_t got;
    off_t offset = 0;
    while ((got = pread(capture.get(), buffer, sizeof buffer, offset)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    return text;
}

std::vector<std::string> logTexts(const std::string& captured) {
    static const std::regex prefix(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\n]+\[\d+:\d+\] )");
    std::vector<std::string> texts;
    std::size_t start = 0;
    while (start < captured.size()) {
        std::size_t end = captured.find('\n', start);
        if (end == std::string::npos) end = captured.size();
        const std::string line = captured.substr(start, end - start);
        std::smatch match;
        if (std::regex_search(line, match, prefix)) texts.push_back(match.suffix());
        start = end + 1;
    }
    return texts;
}

}  // namespace app_testing
