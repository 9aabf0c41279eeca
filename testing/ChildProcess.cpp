#include "testing/ChildProcess.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace testing_support {

namespace {
constexpr uid_t kNobody = 65534;
constexpr int kSetupFailed = 125;

int runForked(const std::function<bool()>& prepare, const std::function<int()>& scenario) {
    // Unflushed output would otherwise be written twice, once by each process.
    std::cout.flush();
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        int code = prepare() ? scenario() : kSetupFailed;
        std::cout.flush();
        std::fflush(nullptr);
        _exit(code);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
}  // namespace

int runInChild(const std::function<int()>& scenario) {
    return runForked([] { return true; }, scenario);
}

int runUnprivileged(const std::function<int()>& scenario) {
    return runForked(
        [] {
            if (geteuid() != 0) return true;  // already unprivileged
            return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 &&
                   geteuid() == kNobody;
        },
        scenario);
}

int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario) {
    return runForked(
        [bytes] {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {bytes, bytes};
            return setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        scenario);
}

}  // namespace testing_support
