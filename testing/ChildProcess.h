#pragma once

// Scenarios in forked children; an outcome is the exit code, or 128 + the ending signal.

#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iostream>
#include <vector>

#include "fsutil/retryOnInterrupt.h"

namespace testing_support {

inline int outcomeOf(int status) {
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// A child the test can kill at any moment; killed and waited for when it goes.
class StartedChild {
public:
    explicit StartedChild(const std::function<int()>& scenario) {
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
    ~StartedChild() {
        kill(SIGKILL);
        wait();
    }
    StartedChild(const StartedChild&) = delete;
    StartedChild& operator=(const StartedChild&) = delete;

    void kill(int signal) {
        if (pid_ > 0 && outcome_ < 0) ::kill(pid_, signal);
    }
    int wait() {
        if (outcome_ >= 0 || pid_ <= 0) return outcome_;
        int status = 0;
        if (retryOnInterrupt([&] { return waitpid(pid_, &status, 0); }) < 0) return -1;
        return outcome_ = outcomeOf(status);
    }

private:
    pid_t pid_ = -1;
    int outcome_ = -1;
};

// The exit code of a child whose set-up (user, limits, mounts) failed.
inline constexpr int kChildSetupFailed = 125;

inline int runInChild(const std::function<int()>& scenario) {
    return StartedChild(scenario).wait();
}

// As the user "nobody", so "permission denied" really happens under root.
inline int runUnprivileged(const std::function<int()>& scenario) {
    return runInChild([&] {
        constexpr uid_t kNobody = 65534;
        const bool dropped = geteuid() != 0 || (setgroups(0, nullptr) == 0 &&
                                                setgid(kNobody) == 0 && setuid(kNobody) == 0);
        return dropped ? scenario() : kChildSetupFailed;
    });
}

// With RLIMIT_FSIZE at `bytes`: a longer write fails with EFBIG, as on a full disk.
inline int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario) {
    return runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {bytes, bytes};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 ? scenario() : kChildSetupFailed;
    });
}

// As root without the capabilities that override file modes, for its children too.
inline int runWithoutFileOverrides(const std::function<int()>& scenario) {
    return runInChild([&] {
        if (geteuid() != 0) return scenario();
        constexpr int kDropped[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
        for (int capability : kDropped)
            if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) return kChildSetupFailed;
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3] = {};
        if (syscall(SYS_capget, &header, sets) != 0) return kChildSetupFailed;
        for (int capability : kDropped) {
            auto& set = sets[capability / 32];
            const unsigned bit = 1u << (capability % 32);
            set.effective &= ~bit;
            set.permitted &= ~bit;
            set.inheritable &= ~bit;
        }
        return syscall(SYS_capset, &header, sets) == 0 ? scenario() : kChildSetupFailed;
    });
}

// In a mount namespace of its own, every mount private (root only).
inline int runInPrivateMounts(const std::function<int()>& scenario) {
    return runInChild([&] {
        const bool privateMounts = unshare(CLONE_NEWNS) == 0 &&
                                   mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return privateMounts ? scenario() : kChildSetupFailed;
    });
}

// Expects `scenario` to end with 0 and no failure in private mounts; skipped where there are none.
inline void expectPassesInPrivateMounts(const std::function<int()>& scenario) {
    const int outcome = runInPrivateMounts([&] {
        const int code = scenario();
        return code == 0 && ::testing::Test::HasFailure() ? 1 : code;
    });
    if (outcome == kChildSetupFailed) GTEST_SKIP() << "private mounts need root";
    EXPECT_EQ(outcome, 0);
}

// Waits for every child left, adopted orphans too; their outcomes in the order they ended.
inline std::vector<int> waitForAllChildren() {
    std::vector<int> outcomes;
    // Ends at ECHILD: none left.
    for (int status = 0; retryOnInterrupt([&] { return waitpid(-1, &status, 0); }) >= 0;)
        outcomes.push_back(outcomeOf(status));
    return outcomes;
}

}  // namespace testing_support
