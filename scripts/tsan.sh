#!/usr/bin/env bash
# scripts/tsan.sh [--window]: a ThreadSanitizer build (GCC, build-tsan/) of the
# tests whose code runs on more than one thread, CTest label "threads": the
# link in-process and over pseudo-terminals (a cancel from another thread),
# and the command-line fleet, whose ports run on threads of their own. Qt is
# not instrumented: tests/tsan.supp silences reports about Qt's own memory,
# never one about this project's data.
#
# --window also runs the window's transfer tests (label "threads-window").
# They are not a gate yet: every hand-off between the transfer worker and the
# window goes through Qt's queued calls (progress and step lambdas posted
# with QMetaObject::invokeMethod, the notifier's blocking call, QThread's
# finish), whose locking ThreadSanitizer cannot see without a Qt built for
# it, so each shows as a race on the hand-off's own data.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=build-tsan
targets=(link_tests link_pty_tests fleet_pty_tests)
labels='^threads$'
if [ "${1:-}" = --window ]; then
  targets+=(gui_transfer_tests gui_transfer_safety_tests)
  labels='^threads(-window)?$'
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DQB41_TSAN=ON -DQB41_BENCH=OFF -DQB41_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
fi
cmake --build "$dir" -j "${QB41_JOBS:-2}" --target "${targets[@]}"
(cd "$dir" && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp" \
  ctest -L "$labels" --output-on-failure -j 2)
