#!/usr/bin/env bash
# scripts/build.sh [DIR [cmake options...]]: configure and build. DIR is
# configured the first time, and again whenever options are given (so they
# apply to a directory configured before).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja "$@"
elif [ $# -gt 0 ]; then
  cmake -S . -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" -j "${QB41_JOBS:-2}"
