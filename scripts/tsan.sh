#!/usr/bin/env bash
# scripts/tsan.sh: a ThreadSanitizer build (GCC, build-tsan/) of the tests
# whose code runs on more than one thread, CTest label "threads": the link
# in-process and over pseudo-terminals (a cancel from another thread), the
# command-line fleet, whose ports run on threads of their own, and the
# window's transfer tests, whose runs go on a worker thread (the hand-offs
# between the worker and the window: app/gui/mailbox.h, the notifier's
# questions from other threads, the end of a run).
#
# Qt is not instrumented: its locking is invisible to ThreadSanitizer, so our
# hand-offs do not rely on it (each goes through a mutex of ours; the queued
# Qt call that wakes the window carries no data). tests/tsan.supp silences
# reports about Qt's own memory only, never one about this project's data.
#
# --window is accepted and does nothing more: the window's tests are part of
# the gate.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=build-tsan
targets=(link_tests link_pty_tests fleet_pty_tests
  gui_transfer_tests gui_transfer_safety_tests gui_handoff_tests)
# Configured every time, so that a directory made before takes the options.
cmake -S . -B "$dir" -G Ninja -DQB41_TSAN=ON -DQB41_BENCH=OFF -DQB41_WERROR=ON -DQB41_UNITY=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build "$dir" -j "${QB41_JOBS:-2}" --target "${targets[@]}"
(cd "$dir" && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp" \
  ctest -L '^threads$' --output-on-failure -j 2)
