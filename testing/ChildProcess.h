#pragma once

// Scenarios in forked children; an outcome is the exit code, or 128 + the ending signal.

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <vector>

namespace testing_support {

// A child the test can kill at any moment; killed and waited for when it goes.
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

// The exit code of a child whose set-up (user, limits, mounts) failed.
inline constexpr int kChildSetupFailed = 125;

inline int runInChild(const std::function<int()>& scenario) {
    return StartedChild(scenario).wait();
}
// As the user "nobody", so "permission denied" really happens under root.
int runUnprivileged(const std::function<int()>& scenario);
// With RLIMIT_FSIZE at `bytes`: a longer write fails with EFBIG, as on a full disk.
int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario);
// As root without the capabilities that override file modes, for its children too.
int runWithoutFileOverrides(const std::function<int()>& scenario);
// In a mount namespace of its own, every mount private (root only).
int runInPrivateMounts(const std::function<int()>& scenario);

// Waits for every child left, adopted orphans too; their outcomes in the order they ended.
std::vector<int> waitForAllChildren();

}  // namespace testing_support
