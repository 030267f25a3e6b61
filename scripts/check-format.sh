#!/usr/bin/env bash
# scripts/check-format.sh: every tracked C++ file must be as clang-format
# (.clang-format) leaves it; names the files that differ and fails otherwise.
# `git ls-files '*.cpp' '*.h' | xargs clang-format -i` formats them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run -Werror "${files[@]}" 2>"$report"; then
  grep -E '^[^ ].*: error:' "$report" | cut -d: -f1 | sort | uniq -c |
    awk '{print "check-format: " $2 ": " $1 " places differ"}'
  echo "check-format: $(grep -c ': error:' "$report") places in" \
    "$(grep -E ': error:' "$report" | cut -d: -f1 | sort -u | wc -l) files differ from .clang-format" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files as .clang-format leaves them"
