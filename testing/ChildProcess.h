#pragma once

// Runs a test scenario in a forked child, so it can change process-wide state
// (user, capabilities, limits, mounts) or be killed without touching the test
// process. The scenario's return value becomes the child's exit code; an
// outcome is that code, or 128 + the signal number that ended the child.

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <vector>

namespace testing_support {

// The exit code of a child whose set-up (user, limits, mounts) failed.
inline constexpr int kChildSetupFailed = 125;

int runInChild(const std::function<int()>& scenario);
// As the user "nobody", so "permission denied" really happens under root.
int runUnprivileged(const std::function<int()>& scenario);
// With RLIMIT_FSIZE at `bytes` and SIGXFSZ ignored: a write past that size
// fails with EFBIG, the way a full disk fails a copy.
int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario);
// As root without the capabilities that override file permissions, for the
// programs it starts too: a root-owned file with mode 000 is unreadable.
int runWithoutFileOverrides(const std::function<int()>& scenario);
// In a mount namespace of its own, every mount private, so it can mount tmpfs
// or bind mounts unseen. Needs root: else the outcome is kChildSetupFailed.
int runInPrivateMounts(const std::function<int()>& scenario);

// A child the test can kill at any moment; killed and waited for at the latest
// when the object goes.
class StartedChild {
public:
    explicit StartedChild(const std::function<int()>& scenario);
    ~StartedChild();
    StartedChild(const StartedChild&) = delete;
    StartedChild& operator=(const StartedChild&) = delete;

    void kill(int signal);
    int wait();

private:
    pid_t pid_ = -1;
    int outcome_ = -1;
};

// Makes this process the one that orphaned descendants are handed to
// (PR_SET_CHILD_SUBREAPER), so what a killed child started can be waited for.
bool adoptOrphans();
// Waits for every child left, adopted orphans included; their outcomes in the
// order they ended.
std::vector<int> waitForAllChildren();

}  // namespace testing_support
