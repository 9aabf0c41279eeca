#pragma once

// A property that does not hold stops the fuzzer with the input that broke it.
inline void check(bool holds) {
    if (!holds) __builtin_trap();
}
