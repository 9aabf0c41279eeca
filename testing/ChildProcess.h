#pragma once

// Runs a test scenario in a forked child, so it can change process-wide state
// (user, resource limits, signal dispositions) or be killed without touching
// the test process. The scenario's return value becomes the child's exit code.

#include <sys/resource.h>
#include <functional>

namespace testing_support {

// Exit code of the child, or 128 + signal number when a signal ended it.
int runInChild(const std::function<int()>& scenario);

// The scenario runs as the unprivileged user "nobody", so "permission denied"
// really happens even when the tests run as root.
int runUnprivileged(const std::function<int()>& scenario);

// The scenario runs with RLIMIT_FSIZE at `bytes` and SIGXFSZ ignored: a write
// past that size fails with EFBIG, the way a full disk fails a copy.
int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& scenario);

}  // namespace testing_support
