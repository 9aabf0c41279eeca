#pragma once

// Runs a test scenario in a forked child, so it can change process-wide state
// (user, resource limits, signal dispositions) or be killed without touching
// the test process. The scenario's return value becomes the child's exit code.

#include <sys/resource.h>
#include <sys/types.h>
#include <functional>
#include <vector>

namespace testing_support {

// The exit code of a child whose set-up (user, limits, mounts) failed.
inline constexpr int kChildSetupFailed = 125;

// Exit code of the child, or 128 + signal number when a signal ended it.
int runInChild(const std::function<int()>& scenario);

// The scenario runs as the unprivileged user "nobody", so "permission denied"
// really happens even when the tests run as root.
int runUnprivileged(const std::function<int()>& scenario);

// The scenario runs with RLIMIT_FSIZE at `bytes` and SIGXFSZ ignored: a write
// past that size fails with EFBIG, the way a full disk fails a copy.
int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario);

// The scenario runs as root without the capabilities that override file
// permissions (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER), dropped from
// the bounding set too, so the programs it starts don't get them back either:
// a root-owned file with mode 000 is really unreadable, while root-owned
// folders stay writable. Not running as root, it runs like runUnprivileged.
int runWithoutFileOverrides(const std::function<int()>& scenario);

// The scenario runs in a mount namespace of its own, with every mount private
// to it, so it can mount scratch file systems (tmpfs, bind mounts) without
// the rest of the machine seeing them. Needs root (CAP_SYS_ADMIN); without it
// the result is kChildSetupFailed.
int runInPrivateMounts(const std::function<int()>& scenario);

// A scenario running in a forked child that the test can stop at any moment.
// A child still running when the object goes is killed and waited for.
class StartedChild {
public:
    explicit StartedChild(const std::function<int()>& scenario);
    ~StartedChild();
    StartedChild(const StartedChild&) = delete;
    StartedChild& operator=(const StartedChild&) = delete;

    bool started() const { return pid_ > 0; }
    void kill(int signal);
    // Exit code, or 128 + signal number when a signal ended it.
    int wait();

private:
    pid_t pid_ = -1;
    int outcome_ = -1;
};

// Makes this process the one that orphaned descendants are handed to
// (PR_SET_CHILD_SUBREAPER), so that what a killed child had started can be
// waited for instead of running on unseen.
bool adoptOrphans();

// Waits for every child left, adopted orphans included; their outcomes as
// StartedChild::wait gives them, in the order they ended.
std::vector<int> waitForAllChildren();

}  // namespace testing_support
