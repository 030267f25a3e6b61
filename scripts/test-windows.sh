#!/usr/bin/env bash
# scripts/test-windows.sh: the Windows build, made here with MinGW-w64 and
# tested under Wine.
#
#  1. installs what it needs (only what is missing, as deps.sh does);
#  2. builds GoogleTest from the distribution's sources with the same
#     toolchain, then the libraries, qb41-cli.exe and their unit tests
#     (build-windows/, Qt-free);
#  3. runs the unit tests under Wine (headless, a Wine prefix of its own that
#     is made once and kept in build-windows/wine);
#  4. end to end: Wine's COM5 is the pseudo-terminal of the Linux
#     qb41-radio-sim; qb41-cli.exe reads and programs the simulated radio and
#     its files and the programmed memory must equal, byte for byte, what the
#     Linux build's qb41-cli gives; a file name with non-ASCII characters
#     saves and loads through qb41-cli.exe.
#
# QB41_WINDOWS_PACED=1 also times a read and a write of both builds against
# the simulator at the real 9600-baud rate (about a minute and a half).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)

scripts/deps.sh gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix wine wine64 googletest \
  cmake ninja-build ccache

jobs=${QB41_JOBS:-2}
out=build-windows
toolchain=$root/cmake/mingw-w64-x86_64.cmake
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
mkdir -p "$out"

# ---- Wine: headless, no Mono or Gecko, its own prefix ----
export WINEPREFIX=$root/$out/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Wine stores file names in the locale's character set: UTF-8 holds them all.
export LC_ALL=C.UTF-8
unset DISPLAY
# Wine's COM5 is the device HKLM\Software\Wine\Ports names: a link that each
# simulator started below points at its pseudo-terminal. Ports are mapped
# when Wine starts, so the key is set before the server of this run starts.
com5=$root/$out/com5
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "test-windows: making the Wine prefix"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  "$wineserver" -w # the registry is on disk once the server has ended
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "test-windows: wineboot made no prefix" >&2; exit 1; }
if ! "$wine" reg query 'HKLM\Software\Wine\Ports' /v COM5 2>/dev/null | grep -qF "$com5"; then
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$com5" /f >/dev/null
fi
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w
# One server for the whole run, its diagnostics kept out of the log; the
# first program started brings up the prefix's services.
"$wineserver" -p30 >/dev/null 2>&1 || true
"$wine" cmd /c exit >/dev/null 2>&1 || true

sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$wineserver" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

# ---- GoogleTest for Windows, once ----
gtest=$root/$out/googletest
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/googletest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$gtest" \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$out/googletest-build" -j "$jobs" --target install >/dev/null
fi

# ---- the Windows build: libraries, qb41-cli.exe, the unit tests ----
# Configured every run, so that a directory made before takes the options.
cmake -S . -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQB41_QT=OFF -DQB41_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB41_UNITY=ON \
  -DGTest_DIR="$gtest/lib/cmake/GTest" -DQB41_WERROR=ON >/dev/null
windows_tests=(core_tests image_tests files_tests qb41_report_tests link_tests link_win32_tests)
cmake --build "$out/build" -j "$jobs" --target qb41-cli qb41_destinations "${windows_tests[@]}"
bin=$out/build/bin

# ---- the Linux simulator and qb41-cli to compare with ----
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DQB41_WERROR=ON
fi
cmake --build build -j "$jobs" --target qb41-radio-sim qb41-cli
sim=build/bin/qb41-radio-sim
linux_cli=build/bin/qb41-cli
work=$(mktemp -d "${TMPDIR:-/tmp}/qb41-windows.XXXXXX")

# Starts the simulator with its pseudo-terminal linked as Wine's COM5:
# `start_sim NAME OPTIONS...` leaves NAME.port (its device) in $work.
start_sim() {
  local name=$1
  shift
  "$sim" --link "$com5" --quiet --save "$work/$name.end.hex" "$@" >"$work/$name.port" &
  sims+=($!)
  for _ in $(seq 100); do
    [ -s "$work/$name.port" ] && [ -L "$com5" ] && return 0
    sleep 0.05
  done
  echo "test-windows: the simulator did not start" >&2
  exit 1
}
stop_sim() {
  local pid=${sims[-1]}
  kill "$pid"
  wait "$pid" || true
  unset 'sims[-1]'
}
check_same() {
  if cmp -s "$1" "$2"; then
    echo "test-windows: $3: the same bytes"
  else
    echo "test-windows: $3: $1 and $2 differ" >&2
    exit 1
  fi
}

# ---- unit tests under Wine; the transport test talks to the simulator ----
start_sim unit --model 1
(cd "$out/build" && QB41_TEST_COM_PORT=COM5 QB41_TEST_UNDER_WINE=1 ctest --output-on-failure -j 1 \
  -R "^($(IFS='|'; echo "${windows_tests[*]}"))\$")
stop_sim

# ---- end to end: read and write against the simulated radio ----
"$wine" "$bin/qb41-cli.exe" ports | grep -q "^COM5"$'\t' ||
  { echo "test-windows: qb41-cli.exe ports does not list COM5" >&2; exit 1; }
model=1
"$linux_cli" new --model $model "$work/fresh.hex" >/dev/null
# What the write programs: the fresh settings with a few of them changed.
"$linux_cli" convert "$work/fresh.hex" "$work/fresh.dat" >/dev/null
sed -e 's/^Resume Time=3/Resume Time=1/' -e 's/^Dual Watch=1/Dual Watch=0/' \
  -e '0,/^TagName=#$/s//TagName=#HARBOUR/' "$work/fresh.dat" >"$work/program.dat"
for tool in linux windows; do
  if [ $tool = linux ]; then
    run() { XDG_DATA_HOME="$work/linux-data" "$linux_cli" "$@" --port "$(cat "$work/$sim_name.port")"; }
  else
    run() { "$wine" "$bin/qb41-cli.exe" "$@" --port COM5; }
  fi
  # The radio as it comes: read to an image and a settings file.
  sim_name=$tool-read
  start_sim $sim_name --model $model
  run read "$work/$tool.hex"
  run read "$work/$tool.dat"
  stop_sim
  # Programmed from the settings file just read, after a backup.
  sim_name=$tool-write
  start_sim $sim_name --model $model
  run write --verify "$work/program.dat"
  stop_sim
done
check_same "$work/linux.hex" "$work/windows.hex" "read to .hex"
check_same "$work/linux.dat" "$work/windows.dat" "read to .dat"
check_same "$work/linux-write.end.hex" "$work/windows-write.end.hex" "write, the radio's memory"
if cmp -s "$work/windows.hex" "$work/windows-write.end.hex"; then
  echo "test-windows: the write left the radio as it was" >&2
  exit 1
fi
backups=("$WINEPREFIX"/drive_c/users/*/AppData/Local/QB41/backups/backup-*.hex)
[ -f "${backups[0]}" ] || { echo "test-windows: qb41-cli.exe made no backup under %LOCALAPPDATA%" >&2; exit 1; }
check_same "$work/linux.hex" "${backups[-1]}" "the write's backup"

# A file name with characters outside ASCII, through the wide command line.
name=$'Funkger\u00e4t-\u65e5\u672c-\u00e9t\u00e9'
"$wine" "$bin/qb41-cli.exe" convert "$work/windows.hex" "$work/$name.dat" >/dev/null
"$wine" "$bin/qb41-cli.exe" convert "$work/$name.dat" "$work/$name.hex" >/dev/null
"$linux_cli" convert "$work/linux.dat" "$work/linux-from-dat.hex" >/dev/null
check_same "$work/linux.dat" "$work/$name.dat" "save to a non-ASCII name"
check_same "$work/linux-from-dat.hex" "$work/$name.hex" "load from a non-ASCII name"

# ---- optional: times at the real line rate ----
if [ "${QB41_WINDOWS_PACED:-0}" = 1 ]; then
  for tool in linux windows; do
    if [ $tool = linux ]; then
      run() { XDG_DATA_HOME="$work/linux-data" "$linux_cli" "$@" --port "$(cat "$work/$sim_name.port")"; }
    else
      run() { "$wine" "$bin/qb41-cli.exe" "$@" --port COM5; }
    fi
    sim_name=$tool-paced
    start_sim $sim_name --model $model --pace
    t0=$(date +%s.%N)
    run read "$work/$tool-paced.hex"
    t1=$(date +%s.%N)
    run write --no-backup "$work/program.dat"
    t2=$(date +%s.%N)
    stop_sim
    printf 'test-windows: paced, model %s, %s: read %.1f s, write %.1f s\n' $model $tool \
      "$(echo "$t1 - $t0" | bc)" "$(echo "$t2 - $t1" | bc)"
  done
  check_same "$work/linux-paced.hex" "$work/windows-paced.hex" "paced read to .hex"
fi

rm -rf "$work"
echo "test-windows: passed in $(($(date +%s) - started)) s"
