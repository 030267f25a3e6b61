#!/usr/bin/env bash
# scripts/fuzz-smoke.sh [SECONDS]: builds the libFuzzer targets (clang,
# ASan+UBSan, build-fuzz/) and runs each for SECONDS (default 60) from its
# seed inputs in tests/fuzz/corpus/, two at a time. Fails when a target
# crashes, hangs or leaks; the input that did it is kept in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
dir=build-fuzz
# Configured every time (a few seconds), so that a directory made before
# takes these options.
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DQB41_FUZZ=ON -DQB41_BENCH=OFF -DQB41_WERROR=ON -DQB41_UNITY=ON >/dev/null
cmake --build "$dir" -j "${QB41_JOBS:-2}" --target qb41_fuzz_targets

# target:max_len. Inputs stay small: the link's answers need a few hundred
# bytes; a partial settings file loads, and image inputs are lists of changes.
targets=(fuzz_data_file:16384 fuzz_image_decode:16385 fuzz_link_frames:1024 fuzz_pipeline:4096)
findings=$dir/findings
rm -rf "$dir/fuzz-run"
mkdir -p "$findings" "$dir/fuzz-run"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run() {
  local name=${1%%:*} max_len=${1##*:}
  local corpus=$dir/fuzz-run/$name
  mkdir -p "$corpus"
  # New inputs go to the scratch corpus; the seeds are only read.
  "$dir/bin/$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$name-" "$corpus" "$root/tests/fuzz/corpus/$name" \
    >"$dir/fuzz-run/$name.log" 2>&1
}
status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  names=()
  for t in "${targets[@]:i:2}"; do
    run "$t" &
    pids+=($!)
    names+=("${t%%:*}")
  done
  for k in "${!pids[@]}"; do
    name=${names[$k]}
    if wait "${pids[$k]}"; then
      runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/fuzz-run/$name.log" | grep -o '[0-9]*$' || echo '?')
      echo "fuzz-smoke: $name: $runs runs in ${seconds} s, no crash"
    else
      status=1
      echo "fuzz-smoke: $name FAILED; its log:" >&2
      grep -v '^#[0-9]' "$dir/fuzz-run/$name.log" | tail -60 >&2
      ls "$findings/$name-"* 2>/dev/null | sed 's/^/fuzz-smoke: input kept: /' >&2 || true
    fi
  done
done
exit $status
