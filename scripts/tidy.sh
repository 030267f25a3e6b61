#!/usr/bin/env bash
# scripts/tidy.sh [BUILD_DIR]: clang-tidy (.clang-tidy: the bugprone and
# concurrency checks, warnings as errors) over the libraries (core image files
# report link editor) and the command-line tool (app/cli, whose fleet runs
# ports on threads), from BUILD_DIR/compile_commands.json (default build/),
# two files at a time; the Win32-only files, which a Linux build does not
# compile, with the MinGW-w64 headers (installed when missing).
#
# Function length: no function over 60 lines (readability-function-size in
# .clang-tidy), in the libraries and, checked alone, in the window, the tools,
# the tests and the benchmarks. QB41_FUNCTION_SIZE=warn only lists them (and
# skips the second pass).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
size_gate=${QB41_FUNCTION_SIZE:-error}
jobs=${QB41_JOBS:-2}
db=$build/compile_commands.json
[ -f "$db" ] || { echo "tidy: no $db (configure $build first)" >&2; exit 1; }

libraries='core|image|files|report|link|editor|app/cli'
# The files of the database under those folders, each once.
mapfile -t files < <(python3 - "$db" "$root" "$libraries" <<'PY'
import json, re, sys
db, root, dirs = sys.argv[1], sys.argv[2], sys.argv[3]
pattern = re.compile(re.escape(root) + r"/(" + dirs + r")/[^/]+\.cpp$")
print("\n".join(sorted({e["file"] for e in json.load(open(db)) if pattern.match(e["file"])})))
PY
)
header_filter="^$root/($libraries)/"
extra=()
if [ "$size_gate" = error ]; then
  extra=(--warnings-as-errors='bugprone-*,concurrency-*,readability-function-size')
fi
status=0
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet --header-filter="$header_filter" "${extra[@]}" ||
  status=1

# The Win32 files, compiled as the MinGW-w64 build compiles them; the
# cross compiler's headers are installed if missing (the Windows build needs
# them anyway).
scripts/deps.sh g++-mingw-w64-x86-64-posix >/dev/null
mingw=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++ 2>/dev/null | tail -1 || true)
win32_files=(core/platform_win.cpp link/win32_serial_transport.cpp app/cli/serial_line_win32.cpp)
if [ -n "$mingw" ]; then
  clang-tidy --quiet --header-filter="$header_filter" "${extra[@]}" "${win32_files[@]}" -- \
    --target=x86_64-w64-mingw32 -std=c++20 -I. -Iapp/cli -isystem "$mingw" \
    -isystem "$mingw/x86_64-w64-mingw32" -DNOMINMAX -DWIN32_LEAN_AND_MEAN || status=1
else
  echo "tidy: no MinGW-w64 headers; ${win32_files[*]} not checked"
fi

# The function length of the window, the tools, the tests and the benchmarks.
others='app/gui|tools|tests|bench'
programs=()
if [ "$size_gate" = error ]; then
  mapfile -t programs < <(python3 - "$db" "$root" "$others" <<'PY'
import json, re, sys
db, root, dirs = sys.argv[1], sys.argv[2], sys.argv[3]
pattern = re.compile(re.escape(root) + r"/(" + dirs + r")/.+\.cpp$")
print("\n".join(sorted({e["file"] for e in json.load(open(db)) if pattern.match(e["file"])})))
PY
  )
  printf '%s\n' "${programs[@]}" |
    xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet --checks='-*,readability-function-size' \
      --warnings-as-errors='readability-function-size' --header-filter="^$root/($others)/" ||
    status=1
fi
if [ $status -ne 0 ]; then
  echo "tidy: clang-tidy found problems (above)" >&2
  exit 1
fi
echo "tidy: ${#files[@]} files clean, and ${#win32_files[@]} Win32 files;" \
  "function length: ${#programs[@]} more files"
