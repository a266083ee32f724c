#!/usr/bin/env bash
# Builds the program and the mdb tool, makes the sample plant's databases
# from their CSV descriptions, runs the program in a scratch copy of the plant
# (a standalone start, an integrated start with the machine's copy, and an
# integrated start that meets an error) and shows what each run left behind,
# the rebuilt PRESET_DEFS included. Non-interactive: with no
# terminal on stdin, message boxes print to stderr and take their default
# button.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target Corvane_Config mdb

scratch=$(mktemp -d /tmp/corvane-demo-XXXXXX)
plant=$scratch/Hmi
cp -r examples/plant "$plant"
# The save-and-restore folder of an integrated start: the plant's backup.
sed -i "s|^SaveAndRestore=.*|SaveAndRestore=$plant/backup|" \
  "$plant/parameter/hx3configuration.ini"
# The program lives in the component folder; its name gives the component.
program=$plant/Corvane/Corvane_Config
cp build/Corvane_Config "$program"
# The template database and the copy kept on the machine, from CSV.
build/mdb create "$plant/Corvane/Corvane_Source.mdb" examples/databases/Corvane_Source
mkdir -p "$plant/backup/Corvane"
build/mdb create "$plant/backup/Corvane/Corvane.mdb" examples/databases/machine_copy
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

# PRESET_DEFS of the component database as a table.
show_table() {
  echo "--- Corvane/Corvane.mdb PRESET_DEFS"
  if [ ! -f "$plant/Corvane/Corvane.mdb" ]; then
    echo "(no component database)"
    return
  fi
  build/mdb dump --json "$plant/Corvane/Corvane.mdb" PRESET_DEFS | python3 -c '
import json, sys
t = json.load(sys.stdin)["tables"][0]
cols = [c["name"] for c in t["columns"]]
cells = [["" if v is None else str(v) for v in r] for r in t["rows"]]
w = [max([len(c)] + [len(r[i]) for r in cells]) for i, c in enumerate(cols)]
print("  ".join(c.ljust(w[i]) for i, c in enumerate(cols)))
for r in cells:
    print("  ".join(v.ljust(w[i]) for i, v in enumerate(r)))
'
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

run "standalone start (no component database yet: built from the template)"
show_table
run "integrated start (the machine's copy brings its values)" \
  /EXTERNAL=HX3CFG "/LOGFILE=$logfile"
show_table

# An HMI configuration without machines: every read of the machine list is
# reported, answered with the default (go on), and logged.
sed -i 's|^NameM1=.*|NameM1=-|' "$plant/parameter/hx3configuration.ini"
run "integrated start, no machine configured" /EXTERNAL=HX3CFG \
  "/LOGFILE=$logfile"

echo
echo "The plant stays in $scratch for a look; remove it when done."
