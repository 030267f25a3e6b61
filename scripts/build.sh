#!/usr/bin/env bash
# scripts/build.sh [DIR [cmake options...]]: configure (once) and build.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja "$@"
fi
cmake --build "$dir" -j "${QB41_JOBS:-2}"
