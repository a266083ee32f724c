#!/usr/bin/env bash
# Runs the libFuzzer target briefly on the committed seeds (a smoke run;
# longer runs are done by hand, see fuzz/CMakeLists.txt). Uses the fuzzer in
# FUZZ_BUILD_DIR when it is there, else builds it with clang. FUZZ_SECONDS
# sets the run time.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${FUZZ_BUILD_DIR:-build-fuzz}
if [ ! -x "$dir/fuzz/jet_open_fuzzer" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF >/dev/null
  cmake --build "$dir" -j2 --target jet_open_fuzzer
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
while read -r seeds; do cp "$seeds"/*.mdb "$work/"; done <"$dir/fuzz/seed_dirs.txt"
"$dir/fuzz/jet_open_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" \
  -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$work" 2>&1 | tail -n 6
echo "fuzz smoke run: no finding"
