#!/usr/bin/env bash
# scripts/tsan.sh: a ThreadSanitizer build (GCC, build-tsan/) of the tests
# whose code runs on more than one thread, those CTest labels "threads": the
# link (in-process and over pseudo-terminals, the cancel from another thread,
# the fleet's parallel ports) and the window's transfers on their worker
# thread. Qt is not instrumented: tests/tsan.supp silences reports that lie
# wholly inside Qt, never one with a frame of this project.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=build-tsan
targets=(link_tests link_pty_tests fleet_pty_tests gui_transfer_tests gui_transfer_safety_tests)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DQB41_TSAN=ON -DQB41_BENCH=OFF -DQB41_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
fi
cmake --build "$dir" -j "${QB41_JOBS:-2}" --target "${targets[@]}"
# A labelled test whose program is not in the list above shows as *_NOT_BUILT and fails.
(cd "$dir" && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp" \
  ctest -L threads --output-on-failure -j 2)
