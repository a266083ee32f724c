#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) on the product code: every C++ file of the
# Release build outside tests/, with the project's own headers. Needs that
# build's compile_commands.json (CORVANE_BUILD_DIR, default build/; configured
# here when missing). With a git revision as argument (e.g. origin/main) only
# the files changed against it are checked, and all of them when a header
# changed. Windows-only files are not in the Linux build and are not checked.
# Exit code 0 when clang-tidy reports nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${CORVANE_BUILD_DIR:-build}
if [ ! -f "$dir/compile_commands.json" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi

mapfile -t files < <(python3 - "$dir/compile_commands.json" "$root" <<'PY'
import json, os, sys
root = sys.argv[2] + "/"
for f in sorted({os.path.realpath(e["file"]) for e in json.load(open(sys.argv[1]))}):
    if f.startswith(root) and not f.startswith(root + "tests/"):
        print(f)
PY
)
if [ $# -gt 0 ]; then
  mapfile -t changed < <(git diff --name-only "$1" -- '*.cc' '*.cpp' '*.h')
  if ! printf '%s\n' "${changed[@]}" | grep -q '\.h$'; then
    mapfile -t files < <(printf '%s\n' "${files[@]}" |
      grep -Fx -f <(printf "$root/%s\n" "${changed[@]}") || true)
  fi
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "clang-tidy: no file to check"
  exit 0
fi

# Headers of the product folders only (not GoogleTest's, not the system's).
headers="^$root/(app|base|bench|dao|db|env|errors|fuzz|jet|platform|settings)/"
# GCC's compile commands carry warning options clang does not know.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
run-clang-tidy -p "$dir" -j "${CORVANE_TIDY_JOBS:-2}" -quiet \
  -header-filter="$headers" -extra-arg=-Wno-unknown-warning-option \
  "${files[@]}" >"$log" 2>&1 || status=$?
sed -i 's/\x1b\[[0-9;]*m//g' "$log"  # run-clang-tidy always colours
if [ "$status" = 0 ] && ! grep -q ': \(error\|warning\): ' "$log"; then
  echo "clang-tidy: ${#files[@]} files, no finding"
else
  grep -v '^clang-tidy-[0-9]* \|^[0-9]* warnings\? generated\.$\|^Suppressed \|^Use -header-filter\|^$' "$log" >&2 || true
  echo "clang-tidy: findings above" >&2
  exit 1
fi
