#!/usr/bin/env bash
# Install, build a normal and an ASan+UBSan configuration, run every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j 2)
scripts/build.sh build-asan -DQB41_SANITIZE=ON -DQB41_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/../tests/lsan.supp \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j 2)
scripts/test-windows.sh
