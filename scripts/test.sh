#!/usr/bin/env bash
# scripts/test.sh: what CI runs (.ci/run). Installs what is missing, then
# the gates, each timed:
#   format   clang-format check of every tracked C++ file
#   build    the normal configuration (RelWithDebInfo, build/) and its tests
#   tidy     clang-tidy, bugprone and concurrency checks, over the libraries
#   release  a Release build (build-release/) of everything but the window,
#            which the two other configurations build and test, and its tests
#   asan     AddressSanitizer + UndefinedBehaviorSanitizer (Debug at -O1,
#            build-asan/)
# The extra configurations build the libraries and programs as unity builds
# (QB41_UNITY), which the normal configuration does not.
#   tsan     ThreadSanitizer build of the threaded tests: the link, the fleet
#            and the window's transfers (build-tsan/)
#   fuzz     each libFuzzer target for a minute (build-fuzz/)
#   windows  the MinGW-w64 build under Wine (scripts/test-windows.sh)
# Warnings are errors in every configuration (QB41_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
times=()
# stage NAME COMMAND...: runs and times one gate. The commands are scripts or
# functions whose steps are joined with &&, as errexit does not reach inside
# a function called from a condition.
stage() {
  local name=$1 t0 status=0
  shift
  t0=$(date +%s)
  echo "==== test.sh: $name"
  "$@" || status=$?
  times+=("$name $(($(date +%s) - t0)) s$([ $status -eq 0 ] || echo ', FAILED')")
  if [ $status -ne 0 ]; then
    echo "==== test.sh: $name FAILED after $(($(date +%s) - t0)) s" >&2
    return $status
  fi
  echo "==== test.sh: $name passed in $(($(date +%s) - t0)) s"
}
build_and_test() { # DIR CMAKE_OPTIONS...: build, then every test
  local dir=$1
  shift
  scripts/build.sh "$dir" -DQB41_WERROR=ON "$@" && (cd "$dir" && ctest --output-on-failure -j 2)
}
asan() {
  scripts/build.sh build-asan -DQB41_WERROR=ON -DQB41_SANITIZE=ON -DQB41_BENCH=OFF \
    -DQB41_UNITY=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" &&
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/../tests/lsan.supp \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j 2)
}
summary() { printf 'test.sh: %s\n' "${times[@]}"; }
trap summary EXIT

stage deps scripts/deps.sh
# A formatting slip does not hide what the other gates say: the run goes on
# and fails at the end.
format=0
stage format scripts/check-format.sh || format=1
stage build build_and_test build
stage tidy scripts/tidy.sh build
stage release build_and_test build-release -DCMAKE_BUILD_TYPE=Release -DQB41_BENCH=OFF \
  -DQB41_WINDOW=OFF -DQB41_UNITY=ON
stage asan asan
stage tsan scripts/tsan.sh
stage fuzz scripts/fuzz-smoke.sh 60
stage windows scripts/test-windows.sh
if [ $format -ne 0 ]; then
  echo "test.sh: every other gate passed; the format check did not" >&2
  exit 1
fi
echo "test.sh: all passed in $(($(date +%s) - started)) s"
