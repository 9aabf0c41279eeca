#include "testing/ChildProcess.h"

#include <grp.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace testing_support {

namespace {
constexpr uid_t kNobody = 65534;

int outcomeOf(int status) {
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

bool dropToNobody() {
    return geteuid() != 0 ||
           (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0);
}

bool dropFileOverrides() {
    if (geteuid() != 0) return true;
    constexpr int kDropped[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
    for (int capability : kDropped)
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, sets) != 0) return false;
    for (int capability : kDropped) {
        auto& set = sets[capability / 32];
        const unsigned bit = 1u << (capability % 32);
        set.effective &= ~bit;
        set.permitted &= ~bit;
        set.inheritable &= ~bit;
    }
    return syscall(SYS_capset, &header, sets) == 0;
}
}  // namespace

int runUnprivileged(const std::function<int()>& scenario) {
    return runInChild([&] { return dropToNobody() ? scenario() : kChildSetupFailed; });
}

int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario) {
    return runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {bytes, bytes};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 ? scenario() : kChildSetupFailed;
    });
}

int runWithoutFileOverrides(const std::function<int()>& scenario) {
    return runInChild([&] { return dropFileOverrides() ? scenario() : kChildSetupFailed; });
}

int runInPrivateMounts(const std::function<int()>& scenario) {
    return runInChild([&] {
        const bool privateMounts = unshare(CLONE_NEWNS) == 0 &&
                                   mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return privateMounts ? scenario() : kChildSetupFailed;
    });
}

StartedChild::StartedChild(const std::function<int()>& scenario) {
    // Unflushed output would otherwise be written twice, once by each process.
    std::cout.flush();
    std::fflush(nullptr);
    if ((pid_ = fork()) == 0) {
        const int code = scenario();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(code);
    }
}

StartedChild::~StartedChild() {
    kill(SIGKILL);
    wait();
}

void StartedChild::kill(int signal) {
    if (pid_ > 0 && outcome_ < 0) ::kill(pid_, signal);
}

int StartedChild::wait() {
    if (outcome_ >= 0 || pid_ <= 0) return outcome_;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return outcome_ = outcomeOf(status);
}

std::vector<int> waitForAllChildren() {
    std::vector<int> outcomes;
    for (int status = 0;;) {
        if (waitpid(-1, &status, 0) >= 0)
            outcomes.push_back(outcomeOf(status));
        else if (errno != EINTR)
            return outcomes;  // ECHILD: none left
    }
}

}  // namespace testing_support
