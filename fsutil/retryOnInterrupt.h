#pragma once

// A system call that a signal may interrupt before it did anything is simply
// made again.

#include <cerrno>

// Calls `call` until it returns anything but -1 with errno EINTR; that result.
template <typename Call>
auto retryOnInterrupt(Call call) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR) return result;
    }
}
