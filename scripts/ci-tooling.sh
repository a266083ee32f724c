#!/usr/bin/env bash
# The contributor-tooling part of CI: installs clang-tidy, clang-format and
# the package tools when missing, runs clang-tidy on the product code (with
# the Release build's compile_commands.json in build/), the format check
# when CORVANE_FORMAT_CHECK=1, and builds and checks the .deb and the
# Windows .zip (scripts/package-test.sh, reusing build/ and build-win/).
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for pkg in clang-tidy clang-format dpkg-dev unzip; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq \
    --no-install-recommends "${need[@]}"
fi
bash scripts/clang-tidy.sh
if [ "${CORVANE_FORMAT_CHECK:-0}" = 1 ]; then
  bash scripts/check-format.sh
else
  echo "format check skipped (CORVANE_FORMAT_CHECK=1 turns it on)"
fi
bash scripts/package-test.sh
