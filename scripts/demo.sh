#!/usr/bin/env bash
# Builds the program, runs it in a scratch copy of the sample plant (a
# standalone start, an integrated start, and an integrated start that meets
# an error) and shows what each run left behind. Non-interactive: with no
# terminal on stdin, message boxes print to stderr and take their default
# button.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target Corvane_Config

scratch=$(mktemp -d /tmp/corvane-demo-XXXXXX)
plant=$scratch/Hmi
cp -r examples/plant "$plant"
# The save-and-restore folder of an integrated start: the plant's backup.
sed -i "s|^SaveAndRestore=.*|SaveAndRestore=$plant/backup|" \
  "$plant/parameter/hx3configuration.ini"
# The program lives in the component folder; its name gives the component.
program=$plant/Corvane/Corvane_Config
cp build/Corvane_Config "$program"
mkdir -p "$scratch/logs"
logfile=$scratch/logs/hx3cfg.txt

# Section Info of the component's configuration file.
show_info() {
  echo "--- Corvane/Corvane.cfg [Info]"
  sed -n '/^\[Info\]/,/^\[/p' "$plant/Corvane/Corvane.cfg" | grep -v '^\[' \
    | grep -v '^$' || true
}

# The error logs: the plant's own and the one named by /LOGFILE (whose path
# the program reads in upper case; folders are matched without regard to
# case, the new file keeps the upper-case name).
show_logs() {
  local found=0
  for log in "$plant/HX3cfglog.txt" "$scratch"/logs/*; do
    [ -f "$log" ] || continue
    found=1
    echo "--- error log $log"
    tr -d '\r' <"$log"
  done
  [ "$found" = 1 ] || echo "--- no error log written"
}

run() {
  echo
  echo "=== $1"
  shift
  echo "\$ Corvane/Corvane_Config $*"
  local rc=0
  (cd "$scratch" && "$program" "$@" </dev/null) || rc=$?
  echo "exit code $rc"
  show_info
  show_logs
}

echo "Sample plant: $plant"
"$program" --version

run "standalone start"
run "integrated start" /EXTERNAL=HX3CFG "/LOGFILE=$logfile"

# An HMI configuration without machines: each of the two reads of the
# machine list is reported, answered with the default (go on), and logged.
sed -i 's|^NameM1=.*|NameM1=-|' "$plant/parameter/hx3configuration.ini"
run "integrated start, no machine configured" /EXTERNAL=HX3CFG \
  "/LOGFILE=$logfile"

echo
echo "The plant stays in $scratch for a look; remove it when done."
