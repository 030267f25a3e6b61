#!/usr/bin/env bash
# The main job: install, build, then a demonstration run of the command-line
# tool (a fresh data set for the default model, and what it holds).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
out=$(mktemp -d)
build/bin/qb41-cli new --model 2 "$out/fresh.hex"
build/bin/qb41-cli info "$out/fresh.hex"
