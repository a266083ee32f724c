#!/usr/bin/env bash
# Runs the libFuzzer targets briefly (a smoke run; longer runs are done by
# hand, see fuzz/CMakeLists.txt): the open fuzzer on the committed seeds, the
# write fuzzer (random write sequences on the test samples) from an
# empty corpus. Uses the fuzzers in FUZZ_BUILD_DIR when they are there, else
# builds them with clang. FUZZ_SECONDS sets the run time of each.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${FUZZ_BUILD_DIR:-build-fuzz}
if [ ! -x "$dir/fuzz/jet_open_fuzzer" ] || [ ! -x "$dir/fuzz/jet_write_fuzzer" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF >/dev/null
  cmake --build "$dir" -j2 --target jet_open_fuzzer jet_write_fuzzer
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/open" "$work/write"
while read -r seeds; do cp "$seeds"/*.mdb "$work/open/"; done <"$dir/fuzz/seed_dirs.txt"
"$dir/fuzz/jet_open_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" \
  -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$work/open" 2>&1 |
  tail -n 6
"$dir/fuzz/jet_write_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" \
  -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 "$work/write" 2>&1 |
  tail -n 6
echo "fuzz smoke run: no finding"
