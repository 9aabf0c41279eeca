#!/usr/bin/env bash
# Proves the core stands alone: its tests build and pass with Qt hidden from
# CMake, and an outside project can embed it with add_subdirectory().
set -euo pipefail
cd "$(dirname "$0")/.."

echo "==> core without Qt: build and test" >&2
cmake -S . -B build/core-alone -G Ninja -DVELTRANO_BUILD_GUI=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON --no-warn-unused-cli >/dev/null
cmake --build build/core-alone
ctest --test-dir build/core-alone -j "$(nproc)" --output-on-failure

echo "==> an outside project embedding the core" >&2
cmake -S cmake/consumer -B build/consumer -G Ninja >/dev/null
cmake --build build/consumer
build/consumer/consumer
