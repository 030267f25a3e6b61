#!/usr/bin/env bash
# Installs the Debian 12 packages QB41 builds and tests with; only what is
# missing, so a second run costs a few seconds.
set -euo pipefail
# scripts/deps.sh [PACKAGE...]: the given packages instead of the project's set
# (scripts/test-windows.sh installs its cross tools this way).
packages=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
  libgl-dev ccache lld fonts-dejavu-core googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  clang-format clang-tidy xvfb xauth x11-utils xdotool imagemagick socat poppler-utils python3)
if [ $# -gt 0 ]; then packages=("$@"); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
