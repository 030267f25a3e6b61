#!/usr/bin/env bash
# The main job: install, build, then start the desktop program with a
# simulated radio on a pseudo-terminal as its serial port, so Transfer > Read
# from Radio works at once. The simulator stops when the window closes.
# Without a display it says so and runs the command-line demonstration.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build

demo() {
  out=$(mktemp -d)
  build/bin/qb41-cli new --model 2 "$out/fresh.hex"
  build/bin/qb41-cli info "$out/fresh.hex"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set), so the window cannot open;" \
       "running the command-line demonstration instead." >&2
  demo
  exit 0
fi

# The simulated radio is the model the program will start with.
store="${XDG_CONFIG_HOME:-$HOME/.config}/QB41/QB41.ini"
model=2
if [ -f "$store" ]; then
  stored=$(sed -n '/^\[ModelPath\]/,/^\[/s/^ModelNum=\([0-3]\)\s*$/\1/p' "$store" | head -n1)
  model=${stored:-2}
fi
simdir=$(mktemp -d)
link="$simdir/radio"
build/bin/qb41-radio-sim --model "$model" --pace --link "$link" --quiet > "$simdir/sim.out" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$simdir"' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "run.sh: simulated radio (model $model) on $link" >&2
build/bin/qb41 --port "$link" "$@"
