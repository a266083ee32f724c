#!/usr/bin/env python3
"""Checks the databases that the engine writes (jet_write_sample makes them,
through every write path) with independent tools: jet4lint.py must print OK,
`mdb check` must pass, and mdbtools and mdb-reader must read the same tables,
columns and cells as our own reader (`mdb dump --json`), compared with the
helpers of crosscheck.py. jet4lint.py is optional (an empty --lint skips
it). Exit 0 on success, 1 on a problem, 77 when a reader is missing.

Reader limitations that are not ours are forgiven, each exactly:
  * mdbtools prints Binary values as C strings (cut at the first 00 byte),
    GUIDs as the hex of their "{...}" text, and an empty text as absent;
  * mdbtools prints GUIDs without their last hyphen, mdb-reader without
    braces.
Rows are compared as sets where updated rows were moved (overflow rows): both
readers return a moved row where it is stored, not at its row id.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
from decimal import Decimal

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import crosscheck as cc  # noqa: E402

EXPECTED_TABLES = {
    "empty.mdb": [],
    "types.mdb": ["AllTypes"],
    "changed.mdb": ["Keep", "Other", "After"],
    "many.mdb": [f"Table_{i}_with_a_longer_name" for i in range(150)],
    "preset.mdb": ["PRESET_DEFS"],
    "old-rows.mdb": ["T"],
    "csv.mdb": ["Flags", "Limits", "Long values", "Values", "Станции 東京 €"],
}
# `mdb create` input: every type, quoting, Null and empty text, long values.
CSV_FILES = {
    "Flags.csv": "Flag:Boolean\ntrue\nfalse\n",  # rows without variable part
    "Limits.csv":
        "C:Currency,D:Decimal\n"
        "-922337203685477.5808,999999999999999999\n"
        "922337203685477.5807,-999999999999999999\n",
    "Values.csv":
        "ID:Long,Name:Text(50),Note:Memo,On:Boolean,Val:Double,When:Date,"
        "Cash:Currency,B:Byte,I:Integer,S:Single,Bin:Binary(16),"
        "Blob:LongBinary,G:GUID,D:Decimal\r\n"
        "1,abc,\"some memo\",true,1.5,2021-12-02T10:20:30,3.5,7,-3,2.25,"
        "00ff10,cafebabe,{12345678-9ABC-DEF0-1122-334455667788},-12345\r\n"
        "2,\"\",,false,,,,,,,,,,\r\n"
        "3,\"He said \"\"hi\"\", then left\",\"line1\nline2\",true,-0.5,"
        "1899-12-30T06:00:00,-0.0001,255,32767,0,,,,0\r\n",
    "Long values.csv":
        "ID:Long,Txt:Text(255),Memo:Memo\n"
        "1," + "x" * 200 + "," + "y" * 3000 + "\n"
        "2,short," + "z" * 20000 + "\n"
        "3,Grüße Жук," + "Жук" * 50 + "\n",
    # A name above U+00FF: the catalog's name index needs its key.
    "Станции 東京 €.csv":
        "ID:Long,Name:Text(50)\n1,€ Œ Š “q”\n2,Ἀθῆναι\n3,서울 カナ\n",
}
EXPECTED_CELLS = {  # (table, row, column index): value from our reader
    ("Limits", 0, 0): "-922337203685477.5808",
    ("Limits", 1, 1): "-999999999999999999",
    ("Values", 0, 5): "2021-12-02T10:20:30",
    ("Values", 1, 1): "",
    ("Values", 1, 2): None,
    ("Values", 2, 1): 'He said "hi", then left',
    ("Values", 2, 2): "line1\nline2",
    ("Long values", 1, 2): "z" * 20000,
    ("Long values", 2, 1): "Grüße Жук",
}
EXPECTED_ROWS = {("types.mdb", "AllTypes"): 9, ("changed.mdb", "Other"): 48,
                 ("changed.mdb", "Keep"): 60, ("changed.mdb", "After"): 1,
                 ("preset.mdb", "PRESET_DEFS"): 30000,
                 ("old-rows.mdb", "T"): 3, ("csv.mdb", "Flags"): 2}

_compare_cell = cc.compare_cell


def compare_cell(where, col_type, ours, theirs, report, reader):
    if reader == "mdbtools":
        if ours == "" and theirs is None:
            report.known(where, "mdbtools omits empty text")
            return
        if col_type == "Binary" and isinstance(ours, str):
            cut = bytes.fromhex(ours).split(b"\0")[0].hex()
            if theirs == cut or (cut == "" and theirs is None):
                report.known(where, "mdbtools cuts binary at 00")
                return
        if col_type == "GUID" and isinstance(theirs, str):
            try:
                theirs = bytes.fromhex(theirs).decode()
            except ValueError:
                pass
    if col_type == "GUID" and isinstance(theirs, str) and isinstance(ours, str):
        # Hyphens differ too: mdbtools leaves out the last one.
        def plain(g):
            return g.strip("{}").replace("-", "").upper()
        ours, theirs = plain(ours), plain(theirs)
    _compare_cell(where, col_type, ours, theirs, report, reader)


cc.compare_cell = compare_cell


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--sample", required=True)
    ap.add_argument("--mdb", required=True)
    ap.add_argument("--lint", default="")
    ap.add_argument("--tools", required=True)
    ap.add_argument("--cases", required=True)
    args = ap.parse_args()
    tools = os.path.abspath(args.tools)
    if not args.lint:
        print("jet4lint.py not found: structural check skipped")
    if not cc.checkers_available(tools):
        return cc.SKIP
    failed = False
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([args.sample, out, args.cases], check=True)
        csv_dir = os.path.join(out, "csv")
        os.mkdir(csv_dir)
        for name, text in CSV_FILES.items():
            with open(os.path.join(csv_dir, name), "w", encoding="utf-8",
                      newline="") as f:
                f.write(text)
        subprocess.run([args.mdb, "create", os.path.join(out, "csv.mdb"),
                        csv_dir], check=True)
        cc.ROW_ORDER_DIFFERS = set(EXPECTED_TABLES)
        for name, tables in EXPECTED_TABLES.items():
            path = os.path.join(out, name)
            problems = []
            last = ["skipped"]
            if args.lint:
                lint = subprocess.run([sys.executable, args.lint, path],
                                      capture_output=True, text=True)
                last = lint.stdout.strip().splitlines()[-1:] or [""]
                if lint.returncode != 0 or not last[0].startswith("OK"):
                    problems.append("jet4lint: " + lint.stdout[-2000:])
            check = subprocess.run([args.mdb, "check", path],
                                   capture_output=True, text=True)
            if check.returncode != 0:
                problems.append("mdb check: " + check.stdout[-2000:])
            ours = json.loads(cc.run([args.mdb, "dump", "--json", path]),
                              parse_float=Decimal)
            names = [t["name"] for t in ours["tables"]]
            if names != tables:
                problems.append(f"tables {names[:5]}... vs {tables[:5]}...")
            for (table, row, col), value in EXPECTED_CELLS.items():
                if name != "csv.mdb":
                    continue
                got = [t for t in ours["tables"] if t["name"] == table]
                if not got or got[0]["rows"][row][col] != value:
                    problems.append(f"{table} row {row} column {col}: "
                                    f"expected {value!r}")
            for t in ours["tables"]:
                want = EXPECTED_ROWS.get((name, t["name"]))
                if want is not None and len(t["rows"]) != want:
                    problems.append(f"{t['name']}: {len(t['rows'])} rows, "
                                    f"{want} expected")
            report = cc.Report()
            cc.check_mdbtools(path, ours, report)
            cc.check_mdb_reader(path, ours, tools, report)
            problems += report.problems
            print(f"{'FAIL' if problems else 'ok':4} {name}: {len(names)} tables, "
                  f"lint {last[0]!r}, {len(report.forgiven)} known reader "
                  f"differences")
            for p in problems[:20]:
                print("     ", p)
            failed |= bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
