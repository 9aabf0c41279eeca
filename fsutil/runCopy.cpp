#include "fsutil/runCopy.h"

#include "fsutil/UniqueFd.h"
#include "fsutil/retryOnInterrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

constexpr int kWatchMs = 100;
// Enough of cp's last words to hold its last line.
constexpr std::size_t kKeptComplaint = 4096;

// cp's complaint ends in "<what>: <reason>"; the reason is what is told.
std::string reasonIn(std::string complaint) {
    while (!complaint.empty() && complaint.back() == '\n') complaint.pop_back();
    complaint.erase(0, complaint.rfind('\n') + 1);
    const std::string::size_type colon = complaint.rfind(": ");
    return colon == std::string::npos ? complaint : complaint.substr(colon + 2);
}

// Passes what cp writes on to standard error and keeps its last words; false
// once cp has closed its end.
bool relay(int from, std::string& kept) {
    char buffer[4096];
    const ssize_t got = retryOnInterrupt([&] { return read(from, buffer, sizeof buffer); });
    if (got < 0) return errno == EAGAIN;
    if (got == 0) return false;
    for (ssize_t done = 0; done < got;) {
        const ssize_t put = retryOnInterrupt([&] {
            return write(STDERR_FILENO, buffer + done, static_cast<std::size_t>(got - done));
        });
        if (put <= 0) break;
        done += put;
    }
    kept.append(buffer, static_cast<std::size_t>(got));
    if (kept.size() > kKeptComplaint) kept.erase(0, kept.size() - kKeptComplaint);
    return true;
}

}  // namespace

CopyOutcome copyTreeWithCp(const std::string& source, const std::string& destination,
                           const CopyWatch& watch) {
    std::string command = "cp", recursive = "-R", followSource = "-H", endOfOptions = "--";
    std::string from = source, to = destination;
    char* const argv[] = {
        command.data(), recursive.data(), followSource.data(), endOfOptions.data(), from.data(),
        to.data(),      nullptr};
    CopyOutcome outcome;
    int complaints[2];
    if (pipe2(complaints, O_CLOEXEC) != 0) return outcome;
    UniqueFd readEnd(complaints[0]), writeEnd(complaints[1]);
    // cp shares our standard output; what we printed must come out first.
    std::cout.flush();
    std::fflush(stdout);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) return outcome;
    if (child == 0) {
        // Should this process die mid-copy, cp dies with it: left running, it
        // would go on writing into a staging folder that the next install
        // clears. Only async-signal-safe calls until exec.
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
        if (dup2(complaints[1], STDERR_FILENO) < 0) _exit(127);
        execvp(argv[0], argv);
        _exit(127);
    }
    writeEnd.reset();

    // cp's end of the pipe closes when it ends.
    std::string said;
    for (bool open = true; open;) {
        pollfd ready = {readEnd.get(), POLLIN, 0};
        const int events = poll(&ready, 1, kWatchMs);
        if (events > 0) open = relay(readEnd.get(), said);
        if (!open) break;
        if (watch.cancelled && watch.cancelled()) {
            kill(child, SIGKILL);
            outcome.cancelled = true;
            break;
        }
        if (watch.tick) watch.tick();
    }
    int status = 0;
    if (retryOnInterrupt([&] { return waitpid(child, &status, 0); }) < 0) return outcome;
    outcome.copied = !outcome.cancelled && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!outcome.copied && !outcome.cancelled) outcome.reason = reasonIn(said);
    return outcome;
}
