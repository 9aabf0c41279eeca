#include "app/platformLog.h"

#include "fsutil/retryOnInterrupt.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <iostream>

std::string platformLogLine(std::string_view text, std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char prefix[160];
    std::snprintf(prefix, sizeof prefix, "%s.%03d %s[%d:%d] ", stamp, static_cast<int>(millis),
                  program_invocation_short_name, static_cast<int>(getpid()),
                  static_cast<int>(gettid()));
    std::string line(prefix);
    line.append(text);
    return line;
}

void platformLog(std::string_view text) {
    std::cout.flush();
    std::fflush(stdout);
    const std::string line = platformLogLine(text, std::chrono::system_clock::now()) + "\n";
    // One write per line keeps lines whole when other writers share the stream.
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = retryOnInterrupt(
            [&] { return ::write(STDERR_FILENO, line.data() + written, line.size() - written); });
        if (n <= 0) return;
        written += static_cast<std::size_t>(n);
    }
}
