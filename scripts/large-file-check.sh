#!/usr/bin/env bash
# Long check, not part of CI: a database of Memo rows of MEGABYTES (default
# 400) written by the engine, checked by `mdb check` and the structural
# checker (when ../shared/tools/jet4lint.py is there), and read back cell by
# cell with mdbtools. Needs about four times the size in memory.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${CORVANE_BUILD_DIR:-build}
size=${1:-400}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j2 --target bench_large_file mdb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/large.mdb
"$dir/bench/bench_large_file" "$db" "$size"
"$dir/mdb" check "$db"
lint=../shared/tools/jet4lint.py
if [ -f "$lint" ]; then
  python3 "$lint" "$db" | tail -n 1
else
  echo "jet4lint.py not found: structural check skipped"
fi
# Row n holds 50,000 times the character U+0410 + (n-1) mod 32.
mdb-export "$db" Notes | python3 -c '
import csv, sys
csv.field_size_limit(1 << 30)
rows = csv.reader(sys.stdin)
next(rows)
n = 0
for n, (ident, note) in enumerate(rows, 1):
    if int(ident) != n or note != chr(0x410 + (n - 1) % 32) * 50000:
        sys.exit("mdbtools reads row %d differently" % n)
print("mdbtools: %d rows read back" % n)
'
