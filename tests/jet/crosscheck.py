#!/usr/bin/env python3
"""Reads every sample database with `mdb dump --json` and with two independent
readers, mdbtools (mdb-tables, mdb-schema, mdb-json) and the npm package
mdb-reader, and compares table lists, column names/types/text lengths and every
cell. Exit 0 on agreement, 1 on a difference, 77 when a reader is missing.

Differences that are a reader's own fault are listed in KNOWN below, each with
its reason; only those exact differences are forgiven.
"""

import argparse
import base64
import fcntl
import glob
import json
import math
import os
import re
import shutil
import subprocess
import sys
from decimal import Decimal

SKIP = 77
DATE_FORMAT = "%Y-%m-%dT%H:%M:%S"

# mdbtools 1.0.0 cannot convert dates outside its calendar range and prints
# this placeholder for 9999-01-01 and for every date before 1900-01-01.
MDBTOOLS_BAD_DATE = "1900-01-00T00:00:00"

# Files whose rows mdbtools and mdb-reader return in another order: both skip
# overflow pointer slots and return moved rows where they are physically
# stored; we (like Jet) return each row at the slot of its row id. The rows
# themselves must still be equal.
ROW_ORDER_DIFFERS = {"overflow-rows-overflowTestV2003.mdb"}

# Files whose first rows were stored before their table had a variable
# column, so they have no variable part (Access adds columns without
# rewriting rows). mdbtools skips such rows ("Invalid page buffer") and
# mdb-reader stops with a range error; the rows mdbtools does return are
# compared with our last ones.
ROWS_WITHOUT_VAR_PART = {"fixed-only-table-var-column-added.mdb"}

MDBTOOLS_TYPES = {
    "Boolean": "Boolean", "Byte": "Byte", "Integer": "Integer",
    "Long Integer": "Long", "Currency": "Currency", "Single": "Single",
    "Double": "Double", "DateTime": "Date", "Binary": "Binary", "Text": "Text",
    "OLE": "LongBinary", "Memo/Hyperlink": "Memo", "Replication ID": "GUID",
    "Numeric": "Decimal",
}
READER_TYPES = {
    "boolean": "Boolean", "byte": "Byte", "integer": "Integer", "long": "Long",
    "currency": "Currency", "float": "Single", "double": "Double",
    "datetime": "Date", "binary": "Binary", "text": "Text", "ole": "LongBinary",
    "memo": "Memo", "repid": "GUID", "numeric": "Decimal",
}


class Report:
    def __init__(self):
        self.problems = []
        self.forgiven = []

    def bad(self, where, msg):
        self.problems.append(f"{where}: {msg}")

    def known(self, where, msg):
        self.forgiven.append(f"{where}: {msg}")


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw).stdout


def checkers_available(tools):
    for tool in ("mdb-tables", "mdb-schema", "mdb-json", "node"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} not found")
            return False
    # Checks run in parallel: one installs mdb-reader while the others wait
    # (`npm ci` empties node_modules first, under a reader's feet).
    with open(os.path.join(tools, ".install.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.isdir(os.path.join(tools, "node_modules", "mdb-reader")):
            return True
        if not shutil.which("npm"):
            print("SKIP: npm not found to install mdb-reader")
            return False
        try:
            run(["npm", "ci", "--no-audit", "--no-fund"], cwd=tools)
        except subprocess.CalledProcessError as e:
            print("SKIP: npm could not install mdb-reader:",
                  e.stderr.decode(errors="replace")[-500:])
            return False
    return True


def same_number(ours, theirs, digits=None):
    """Exact for integers and decimals; doubles exact, or to the digits a
    reader prints (mdbtools: 16 significant digits)."""
    if isinstance(ours, bool) or isinstance(theirs, bool):
        return bool(ours) == bool(theirs)
    a, b = Decimal(str(ours)), Decimal(str(theirs))
    if a == b:
        return True
    if digits is None:
        return False
    fa, fb = float(a), float(b)
    return math.isclose(fa, fb, rel_tol=10.0 ** (1 - digits), abs_tol=0)


def same_single(ours, theirs):
    # A Single read by mdb-reader arrives widened to a double.
    import struct
    return struct.pack("<f", float(ours)) == struct.pack("<f", float(theirs))


def compare_cell(where, col_type, ours, theirs, report, reader):
    if ours is None or theirs is None:
        if ours is not theirs:
            report.bad(where, f"{ours!r} vs {theirs!r}")
        return
    if col_type in ("Byte", "Integer", "Long", "Decimal", "Currency"):
        ok = same_number(ours, theirs)
    elif col_type == "Double":
        ok = same_number(ours, theirs, 16 if reader == "mdbtools" else None)
    elif col_type == "Single":
        ok = same_single(ours, theirs) or same_number(ours, theirs, 7)
    elif col_type == "Boolean":
        ok = bool(ours) == bool(theirs)
    elif col_type == "Date":
        ok = ours == theirs
        if not ok and reader == "mdbtools" and theirs == MDBTOOLS_BAD_DATE:
            year = int(ours[:4])
            if year < 1900 or year >= 9999:
                report.known(where, f"mdbtools prints {theirs} for {ours}")
                return
    elif col_type == "GUID":
        ok = ours.upper() == str(theirs).upper()
    else:
        ok = ours == theirs
    if not ok:
        report.bad(where, f"{ours!r} vs {theirs!r}")


def compare_rows(where, columns, ours, theirs, report, reader, fname):
    if fname in ROWS_WITHOUT_VAR_PART and len(theirs) < len(ours):
        report.known(where, f"{reader} skips {len(ours) - len(theirs)} rows "
                     "without a variable part")
        ours = ours[len(ours) - len(theirs):]
    if len(ours) != len(theirs):
        report.bad(where, f"{len(ours)} rows vs {len(theirs)}")
        return
    if fname in ROW_ORDER_DIFFERS:
        key = lambda r: json.dumps(r, sort_keys=True, default=str)
        if [key(r) for r in ours] != [key(r) for r in theirs]:
            report.known(where, f"{reader} returns overflow rows where stored")
        ours = sorted(ours, key=key)
        theirs = sorted(theirs, key=key)
    for i, (a, b) in enumerate(zip(ours, theirs)):
        for c, col in enumerate(columns):
            compare_cell(f"{where} row {i} [{col['name']}]", col["type"],
                         a[c], b[c], report, reader)


def parse_schema(text):
    tables, current = {}, None
    for line in text.splitlines():
        m = re.match(r"CREATE TABLE \[(.*)\]", line)
        if m:
            current = tables.setdefault(m.group(1), [])
            continue
        m = re.match(r"\s+\[(.*)\]\s+(.*?)(?: NOT NULL)?,?\s*$", line)
        if m and current is not None:
            decl = m.group(2)
            t = re.match(r"([A-Za-z /]+?)(?: \((\d+)(?:, *\d+)?\))?$", decl)
            current.append((m.group(1), t.group(1) if t else decl,
                            int(t.group(2)) if t and t.group(2) else None))
    return tables


def normalise_mdbtools_cell(col_type, v):
    if isinstance(v, dict) and "$binary" in v:
        return base64.b64decode(v["$binary"]).hex()
    return v


def check_mdbtools(path, ours, report):
    fname = os.path.basename(path)
    names = [t["name"] for t in ours["tables"]]
    listed = run(["mdb-tables", "-1", path]).decode().split("\n")
    listed = [n for n in listed if n]
    if listed != names:
        report.bad(f"{fname} mdbtools", f"tables {listed} vs ours {names}")
    schema = parse_schema(run(["mdb-schema", path]).decode())
    env = dict(os.environ, LC_ALL="C.UTF-8")
    for t in ours["tables"]:
        where = f"{fname} mdbtools {t['name']}"
        cols = schema.get(t["name"])
        if cols is None:
            report.bad(where, "missing from mdb-schema")
            continue
        got = [(c[0], MDBTOOLS_TYPES.get(c[1], c[1])) for c in cols]
        want = [(c["name"], c["type"]) for c in t["columns"]]
        if got != want:
            report.bad(where, f"columns {got} vs ours {want}")
            continue
        for c, (_, _, size) in zip(t["columns"], cols):
            if c["type"] == "Text" and size != c["size"]:
                report.bad(where, f"{c['name']} length {size} vs {c['size']}")
        out = run(["mdb-json", "-T", DATE_FORMAT, "-D", DATE_FORMAT, path,
                   t["name"]], env=env).decode()
        rows = []
        # mdb-json writes one object per row but leaves some control
        # characters (a CR LF inside a memo) unescaped: decode the stream
        # object by object, tolerating raw control characters.
        decoder = json.JSONDecoder(parse_float=Decimal, strict=False)
        pos = 0
        while True:
            while pos < len(out) and out[pos].isspace():
                pos += 1
            if pos >= len(out):
                break
            obj, pos = decoder.raw_decode(out, pos)
            rows.append([normalise_mdbtools_cell(c["type"], obj.get(c["name"]))
                         for c in t["columns"]])
        compare_rows(where, t["columns"], t["rows"], rows, report, "mdbtools",
                     fname)


def check_mdb_reader(path, ours, tools, report):
    fname = os.path.basename(path)
    try:
        out = run(["node", os.path.join(tools, "mdb_reader_dump.mjs"), path],
                  cwd=tools)
    except subprocess.CalledProcessError:
        if fname not in ROWS_WITHOUT_VAR_PART:
            raise
        report.known(f"{fname} mdb-reader", "fails on rows without a "
                     "variable part")
        return
    theirs = json.loads(out, parse_float=Decimal)
    names = [t["name"] for t in ours["tables"]]
    their_names = [t["name"] for t in theirs["tables"]]
    if their_names != names:
        report.bad(f"{fname} mdb-reader", f"tables {their_names} vs {names}")
    by_name = {t["name"]: t for t in theirs["tables"]}
    for t in ours["tables"]:
        where = f"{fname} mdb-reader {t['name']}"
        other = by_name.get(t["name"])
        if other is None:
            continue
        got = [(c["name"], READER_TYPES.get(c["type"], c["type"]))
               for c in other["columns"]]
        want = [(c["name"], c["type"]) for c in t["columns"]]
        if got != want:
            report.bad(where, f"columns {got} vs ours {want}")
            continue
        for c, o in zip(t["columns"], other["columns"]):
            if c["type"] == "Text" and o["size"] != 2 * c["size"]:
                report.bad(where, f"{c['name']} bytes {o['size']} vs {c['size']} chars")
        compare_rows(where, t["columns"], t["rows"], other["rows"], report,
                     "mdb-reader", fname)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--mdb", required=True)
    ap.add_argument("--fixtures", required=True)
    ap.add_argument("--tools", required=True)
    args = ap.parse_args()
    if not checkers_available(args.tools):
        return SKIP
    files = sorted(glob.glob(os.path.join(args.fixtures, "**", "*.mdb"),
                             recursive=True))
    if not files:
        print("SKIP: no fixtures under", args.fixtures)
        return SKIP
    failed = False
    for path in files:
        report = Report()
        ours = json.loads(run([args.mdb, "dump", "--json", path]),
                          parse_float=Decimal)
        check_mdbtools(path, ours, report)
        check_mdb_reader(path, ours, args.tools, report)
        cells = sum(len(t["rows"]) * len(t["columns"]) for t in ours["tables"])
        status = "FAIL" if report.problems else "ok"
        print(f"{status:4} {os.path.relpath(path, args.fixtures)}: "
              f"{len(ours['tables'])} tables, {cells} cells, "
              f"{len(report.forgiven)} known reader differences")
        for p in report.problems[:20]:
            print("     ", p)
        for k in report.forgiven[:3]:
            print("      known:", k)
        failed |= bool(report.problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
