#!/usr/bin/env bash
# Builds Pellimar and runs every test headless: once in an optimised build and
# once under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLIMAR_BUILD_TESTS=ON
cmake --build build-test
(cd build-test && ctest --output-on-failure --no-tests=error -j2)

if [ "${PELLIMAR_SKIP_SANITIZERS:-0}" != 1 ]; then
  # Qt keeps some allocations until exit on purpose; leaks are not what this run looks for.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELLIMAR_BUILD_TESTS=ON \
    -DPELLIMAR_SANITIZE=ON
  cmake --build build-asan
  (cd build-asan && ctest --output-on-failure --no-tests=error -j2)
fi
