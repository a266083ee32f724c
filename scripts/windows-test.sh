#!/usr/bin/env bash
# Cross-builds the Windows programs (Corvane_Config.exe, mdb.exe) and tests
# with MinGW-w64 into build-win/, runs every test binary under Wine, then
# runs Corvane_Config.exe under Wine in a plant on drive C: (standalone,
# integrated with a save-and-restore folder and LOGFILE, silent with its
# fault log) and checks the logs and the INI record byte for byte. Last, a
# full database build under Wine in plants C:\Hmi\Line1, C:\Anlage Süd 1
# and C:\Plant Line whose databases mdb.exe makes from examples/databases,
# compared (PRESET_DEFS, error log, [Info]) with the Linux build's on a Linux
# copy of the same plant (the Linux build goes to
# ${CORVANE_LINUX_BUILD_DIR:-build}).
# Headless: no X display; standard input comes from an empty file, so every
# message box prints to stderr and takes its default button. Exit code 0
# when everything passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${CORVANE_WIN_BUILD_DIR:-build-win}")

# --- what the cross build and Wine need (wine64 alone needs no i386 arch)
need=()
for pkg in cmake make g++-mingw-w64-x86-64 googletest wine wine64; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq \
    --no-install-recommends "${need[@]}"
fi

# --- cross build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j2

# --- Wine, headless and quiet, in a prefix of its own
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko install prompts
export DISPLAY=
unset WAYLAND_DISPLAY
wine=$(command -v wine || command -v wine64)
# Stop this prefix's Wine server when done, so nothing is left running.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
fi
no_input=$build/empty-stdin
: >"$no_input"

# --- the test binaries (one CTest test each, run through Wine)
ctest --test-dir "$build" --output-on-failure <"$no_input"

# --- end-to-end runs in C:\Hmi\Line1
drive_c=$WINEPREFIX/drive_c
plant=$drive_c/Hmi/Line1
passed=0
failed=0

check() {  # name, then a command that must succeed
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name"
  fi
}

# The file holds exactly these lines, each ended by CR LF.
has_lines() {
  local file=$1
  shift
  local expected=""
  local line
  for line in "$@"; do expected+="$line"$'\r\n'; done
  [ -f "$file" ] && [ "$(cat "$file"; echo .)" = "$expected." ] || {
    echo "  $file holds:"; cat -A "$file" 2>/dev/null | sed 's/^/    /'
    return 1
  }
}

# The [Info] section of Corvane.cfg as the program writes it.
info_is() {
  has_lines "$build/e2e-info.txt" "$@"
}
cut_info() {
  sed -n '/^\[Info\]/,$p' "$plant/Corvane/Corvane.cfg" \
    >"$build/e2e-info.txt"
}

new_plant() {
  rm -rf "$drive_c/Hmi" "$drive_c/X.TXT" "$drive_c/HarloServicePack.log"
  mkdir -p "$drive_c/Hmi"
  cp -r examples/plant "$plant"
  sed -i 's|^SaveAndRestore=.*|SaveAndRestore=C:\\Hmi\\Line1\\backup|' \
    "$plant/parameter/hx3configuration.ini"
  cp "$build/Corvane_Config.exe" "$plant/Corvane/Corvane_Config.exe"
}

code=0
run() {  # arguments of Corvane_Config.exe; sets $code and $err
  code=0
  (cd "$drive_c" &&
    "$wine" 'C:\Hmi\Line1\Corvane\Corvane_Config.exe' "$@" \
      <"$no_input" >"$build/e2e-out.txt" 2>"$build/e2e-err.txt") ||
    code=$?
  err=$(tr -d '\r' <"$build/e2e-err.txt")
}

run_in() {  # plant folder as Windows names it, then the arguments
  local at=$1
  shift
  code=0
  (cd "$drive_c" &&
    "$wine" "$at\Corvane\Corvane_Config.exe" "$@" \
      <"$no_input" >"$build/e2e-out.txt" 2>"$build/e2e-err.txt") ||
    code=$?
  err=$(tr -d '\r' <"$build/e2e-err.txt")
}

fehler="Fehler in Corvane / Corvane_Config_Exe / SetupUserInterFace (Nr. 9) :Subscript out of range"

echo
echo "== end-to-end under Wine in C:\\Hmi\\Line1"

new_plant
run --version
check "--version names the executable" \
  [ "$(tr -d '\r' <"$build/e2e-out.txt")" = "Corvane_Config.exe 1.0.1" ]

new_plant
run
cut_info
editor=$(grep -a '^S_Editor=' "$build/e2e-info.txt" | tr -d '\r')
check "standalone: exit 0" [ "$code" = 0 ]
check "standalone: component Corvane, base C:\\Hmi\\Line1 (record)" \
  info_is "[Info]" "S_Prog=1.0.1 - Standalone" "$editor"
check "standalone: editor mark written" [ ${#editor} -gt 9 ]
check "standalone: no error log" [ ! -e "$plant/HX3cfglog.txt" ]
check "standalone: no box" [ -z "$err" ]

new_plant
sed -i 's|^NameM1=.*|NameM1=-|' "$plant/parameter/hx3configuration.ini"
run '/EXTERNAL=HX3CFG/LOGFILE=C:\x.txt'
cut_info
check "integrated: exit 4 (failures reported)" [ "$code" = 4 ]
check "integrated: LOGFILE read as C:\\X.TXT, CR LF lines" \
  has_lines "$drive_c/X.TXT" "$fehler" "$fehler"
check "integrated: record" \
  info_is "[Info]" "S_Prog=1.0.1 - Integrated" "$editor"
box='Unexpected error: Unexpected error!
Subscript out of range
Error logged to 
C:\X.TXT
Resume?'
check "integrated: boxes on stderr with their line breaks" \
  [ "$err" = "$box"$'\n'"$box" ]
check "integrated: nothing in the plant's own log" \
  [ ! -e "$plant/HX3cfglog.txt" ]

new_plant
rm "$plant/parameter/Program.ini"
run /EXTERNAL=SILENT
fault=$'! Fault Corvane_Config: Unexpected error!\n\rSubscript out of range\n\rError logged to \n\rC:\\HMI\\LINE1\\HX3CFGLOG.TXT'
check "silent: exit 4 (failures reported)" [ "$code" = 4 ]
check "silent: no box" [ -z "$err" ]
check "silent: error log in the base folder" \
  has_lines "$plant/HX3cfglog.txt" "$fehler" "$fehler"
check "silent: fault log C:\\HarloServicePack.log, LF CR inside entries" \
  has_lines "$drive_c/HarloServicePack.log" "$fault" "$fault"

new_plant
rm "$plant/Corvane/Corvane.cfg"
run
check "missing Corvane.cfg: exit 1" [ "$code" = 1 ]
check "missing Corvane.cfg: File not found and the path" \
  [ "$err" = $'Corvane_Config: File not found: \nC:\\HMI\\LINE1\\CORVANE\\CORVANE.CFG' ]

# An error log that cannot be written: the failure escapes every handler.
new_plant
rm "$plant/parameter/Program.ini"
mkdir "$plant/HX3cfglog.txt"
run
check "unhandled error: exit 3" [ "$code" = 3 ]
check "unhandled error: the default report on stderr" \
  grep -q "^Run-time error '[0-9]*':\$" <<<"$err"

# --- the database build under Wine, against the Linux build's
linux_build=$(realpath -m "${CORVANE_LINUX_BUILD_DIR:-build}")
cmake -S . -B "$linux_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$linux_build" -j2 --target Corvane_Config mdb >/dev/null
linux_plant_dir=$(mktemp -d /tmp/corvane-wincmp-XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$linux_plant_dir"' EXIT

mdb_win() {  # arguments of mdb.exe; output without CR
  (cd "$drive_c" && "$wine" "$build/mdb.exe" "$@" <"$no_input" | tr -d '\r')
}
# Time of last write in 100-ns units, the resolution Windows keeps.
last_write() {
  echo $(($(date -r "$1" +%s%N) / 100))
}
# Two dumps that must be equal, shown when they are not.
same_json() {
  cmp -s "$1" "$2" || {
    echo "  $1 and $2 differ:"
    diff "$1" "$2" | head -20 | sed 's/^/    /'
    return 1
  }
}
# The rows of a dump of PRESET_DEFS.
row_count() {
  python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["tables"][0]["rows"]))' "$1"
}

# The plant's folder as Windows names it, in Windows-1252 for the INI file
# (with every backslash doubled for sed).
ini_path() {
  printf '%s' "$1" | iconv -f utf-8 -t cp1252 | sed 's|\\|\\\\|g'
}
quiet_run() {  # no box and no error log from the last Windows run
  [ -z "$err" ] && [ ! -e "$plant/HX3cfglog.txt" ]
}
run_linux() {  # arguments of the Linux program; sets $lcode
  lcode=0
  (cd "$linux_plant_dir" &&
    "$lplant/Corvane/Corvane_Config" "$@" </dev/null >/dev/null 2>&1) ||
    lcode=$?
}
no_error_logs() {
  [ ! -e "$plant/HX3cfglog.txt" ] && [ ! -e "$lplant/HX3cfglog.txt" ]
}
# The [Info] record without the editor mark (which holds the time).
info_of() {
  sed -n '/^\[Info\]/,$p' "$1/Corvane/Corvane.cfg" | tr -d '\r' |
    grep -v '^S_Editor='
}

compare_build() {  # name of the run
  local name=$1
  local win=$build/e2e-db-win.json linux=$build/e2e-db-linux.json
  local win_exe=$build/e2e-db-win-exe.json
  "$linux_build/mdb" dump --json "$plant/Corvane/Corvane.mdb" PRESET_DEFS \
    >"$win" || true
  "$linux_build/mdb" dump --json "$lplant/Corvane/Corvane.mdb" PRESET_DEFS \
    >"$linux" || true
  mdb_win dump --json "$win_plant\\Corvane\\Corvane.mdb" PRESET_DEFS \
    >"$win_exe" || true
  check "$name: Windows and Linux rebuilt the same PRESET_DEFS" \
    same_json "$win" "$linux"
  check "$name: mdb.exe dump reads what mdb dump reads" \
    same_json "$win_exe" "$win"
  check "$name: PRESET_DEFS has rows ($(row_count "$linux" 2>/dev/null))" \
    [ "$(row_count "$linux" 2>/dev/null || echo 0)" -gt 0 ]
  check "$name: template's last-write time unchanged" \
    [ "$(last_write "$plant/Corvane/Corvane_Source.mdb")" = "$template_time" ]
  check "$name: the same [Info] record as on Linux" \
    [ "$(info_of "$plant")" = "$(info_of "$lplant")" ]
  check "$name: the same error log as on Linux (none)" no_error_logs
}

# The database build under Wine in the plant C:\<folder>, against the Linux
# build's in a plant of the same folder name.
build_in() {  # folder under C:\ (blanks, umlauts), the same with "/"
  local folder=$2
  win_plant="C:\\$1"
  plant=$drive_c/$folder
  echo
  echo "== database build under Wine in $win_plant, against Linux"
  rm -rf "$drive_c/Hmi" "$plant" "$drive_c/csv"
  mkdir -p "$(dirname "$plant")"
  cp -r examples/plant "$plant"
  LC_ALL=C sed -i "s|^SaveAndRestore=.*|SaveAndRestore=$(ini_path "$win_plant\\backup")|" \
    "$plant/parameter/hx3configuration.ini"
  cp "$build/Corvane_Config.exe" "$plant/Corvane/Corvane_Config.exe"
  cp -r examples/databases "$drive_c/csv"
  mkdir -p "$plant/backup/Corvane"
  mdb_win create "$win_plant\\Corvane\\Corvane_Source.mdb" \
    'C:\csv\Corvane_Source' >/dev/null
  mdb_win create "$win_plant\\backup\\Corvane\\Corvane.mdb" \
    'C:\csv\machine_copy' >/dev/null
  template_time=$(last_write "$plant/Corvane/Corvane_Source.mdb")

  # The same plant on Linux, its databases made by the Linux mdb.
  lplant=$linux_plant_dir/$folder
  rm -rf "$lplant"
  mkdir -p "$(dirname "$lplant")"
  cp -r examples/plant "$lplant"
  LC_ALL=C sed -i "s|^SaveAndRestore=.*|SaveAndRestore=$(ini_path "$lplant/backup")|" \
    "$lplant/parameter/hx3configuration.ini"
  cp "$linux_build/Corvane_Config" "$lplant/Corvane/Corvane_Config"
  mkdir -p "$lplant/backup/Corvane"
  "$linux_build/mdb" create "$lplant/Corvane/Corvane_Source.mdb" \
    examples/databases/Corvane_Source >/dev/null
  "$linux_build/mdb" create "$lplant/backup/Corvane/Corvane.mdb" \
    examples/databases/machine_copy >/dev/null
  # The two files differ only in their creation dates (header and catalog
  # rows), so compare what they hold, and let `mdb check` judge the structure.
  "$linux_build/mdb" dump --json "$plant/Corvane/Corvane_Source.mdb" \
    >"$build/e2e-template-win.json" || true
  "$linux_build/mdb" dump --json "$lplant/Corvane/Corvane_Source.mdb" \
    >"$build/e2e-template-linux.json" || true
  check "mdb.exe create makes the tables the Linux mdb makes" \
    same_json "$build/e2e-template-win.json" "$build/e2e-template-linux.json"
  check "mdb.exe create makes a sound file" \
    "$linux_build/mdb" check "$plant/Corvane/Corvane_Source.mdb"

  run_in "$win_plant"
  run_linux
  check "$win_plant standalone: exit 0 on Windows and Linux" \
    [ "$code:$lcode" = 0:0 ]
  check "$win_plant standalone: no box, no error log" quiet_run
  compare_build "$win_plant standalone"

  run_in "$win_plant" /EXTERNAL=HX3CFG
  run_linux /EXTERNAL=HX3CFG
  check "$win_plant integrated: exit 0 on Windows and Linux" \
    [ "$code:$lcode" = 0:0 ]
  check "$win_plant integrated: no box, no error log" quiet_run
  compare_build "$win_plant integrated"
  rm -rf "$plant"
}

build_in 'Hmi\Line1' Hmi/Line1
build_in 'Anlage Süd 1' 'Anlage Süd 1'
build_in 'Plant Line' 'Plant Line'

echo "end-to-end: $passed passed, $failed failed"
[ "$failed" = 0 ]
