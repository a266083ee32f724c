#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (idempotent).
# Node.js and npm run the mdb-reader cross-checks; a Node.js that brings its
# own npm (as some distributions of it do) is left as it is.
set -euo pipefail
need=()
for pkg in cmake g++ make ccache strace libgtest-dev libbenchmark-dev mdbtools python3 clang libclang-rt-14-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
command -v node >/dev/null 2>&1 || need+=(nodejs)
command -v npm >/dev/null 2>&1 || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
# mdb-reader for the cross-checks, from the npm registry (pinned by the
# lock file); the checks install it themselves when it is missing.
tools="$(dirname "$0")/../tests/tools"
if [ ! -d "$tools/node_modules/mdb-reader" ]; then
  (cd "$tools" && npm ci --no-audit --no-fund >/dev/null)
fi
