#!/usr/bin/env bash
# Builds everything and runs every test. CORVANE_SANITIZE=ON builds with
# AddressSanitizer and UndefinedBehaviorSanitizer, CORVANE_FUZZ=ON (with
# clang) adds the fuzz target; CORVANE_BUILD_DIR names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${CORVANE_BUILD_DIR:-build}
# A compiler cache, where there is one, makes a second checkout's build
# (CI's fresh clone) cheap; paths below the checkout are cached relative
# to it, so two checkouts share entries.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release \
  -DCORVANE_SANITIZE="${CORVANE_SANITIZE:-OFF}" \
  -DCORVANE_FUZZ="${CORVANE_FUZZ:-OFF}" >/dev/null
cmake --build "$dir" -j2
ctest --test-dir "$dir" --output-on-failure -j2
