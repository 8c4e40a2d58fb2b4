#!/usr/bin/env bash
# Builds Pellimar and runs every test headless: once in an optimised build and
# once under AddressSanitizer and UBSan. The benchmarks are built in neither
# (-DPELLIMAR_BUILD_BENCH=ON builds them).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen

# Built as a plain build is, without precompiled headers: a file that misses an
# include fails here.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLIMAR_BUILD_TESTS=ON
cmake --build build-test
# A test that hangs fails at the time limit instead of holding the run.
(cd build-test && ctest --output-on-failure --no-tests=error -j2 --timeout 300)

if [ "${PELLIMAR_SKIP_SANITIZERS:-0}" != 1 ]; then
  # Qt keeps some allocations until exit on purpose; leaks are not what this run looks for.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Qt's and GoogleTest's headers are read once; line tables (-g1) are all the
  # sanitizers' reports need of the debugging information.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELLIMAR_BUILD_TESTS=ON \
    -DPELLIMAR_SANITIZE=ON -DPELLIMAR_PRECOMPILE_HEADERS=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1
  cmake --build build-asan
  (cd build-asan && ctest --output-on-failure --no-tests=error -j2 --timeout 300)
fi
