#!/usr/bin/env bash
# Start-up time and memory of the desktop program: process start to the main
# window shown (polled with xdotool), median of N runs, and the resident
# memory once the window is up. Needs a display; run it under xvfb-run:
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/gui/startup.sh [N]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-10}
program=${QB41_PROGRAM:-build/bin/qb41} # another build to measure
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_RUNTIME_DIR=$scratch/rt XDG_CONFIG_HOME=$scratch/config
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
times=()
rss=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$program" & pid=$!
  # Polled at 20 ms (a tighter loop keeps Xvfb busy); a program that ends
  # before its window shows ends the measurement at once.
  until xdotool search --onlyvisible --pid "$pid" --name 'QB41' >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      echo "startup.sh: $program exited with status $status before its window was shown" >&2
      exit 1
    fi
    sleep 0.02
  done
  shown=$(date +%s%N)
  times+=($(( (shown - start) / 1000000 )))
  sleep 0.5 # let the first paint settle
  rss+=($(awk '/^VmRSS/ {print $2}' "/proc/$pid/status"))
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
echo "start-up to window shown: median $(median "${times[@]}") ms over $runs runs (each: ${times[*]} ms)"
echo "resident memory after start-up: median $(( $(median "${rss[@]}") / 1024 )) MB"
