#!/usr/bin/env bash
# Checks that every tracked C++ file (.cc, .h, .cpp) is formatted as
# .clang-format says; lists each difference and exits non-zero if any.
# With --fix, formats the files in place instead.
# CLANG_FORMAT names the binary (default clang-format, version 14 on Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}
mapfile -t files < <(git ls-files -- '*.cc' '*.h' '*.cpp')
if [ "${1:-}" = "--fix" ]; then
  "$clang_format" -i "${files[@]}"
  echo "formatted ${#files[@]} files"
  exit 0
fi
if "$clang_format" --dry-run -Werror "${files[@]}"; then
  echo "format check: ${#files[@]} files, all formatted"
else
  echo "format check failed: run 'bash scripts/check-format.sh --fix'" >&2
  exit 1
fi
