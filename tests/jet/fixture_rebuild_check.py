#!/usr/bin/env python3
"""Runs FixtureRebuildTest (every fixture with one table dropped, re-created
and refilled) with its saved files kept, then checks each file with the
independent tools: jet4lint.py must print OK with no kind of warning the
fixture does not have already, mdb-tables must list every table and mdb-json
must read the re-created table's rows as it reads them in the fixture.
jet4lint.py is optional (an empty --lint skips it). Exit 0 on success, 1 on
a problem, 77 when mdbtools is missing.
"""

import argparse
import re
import os
import shutil
import subprocess
import sys
import tempfile


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, timeout=300,
                          **kw)


def warnings(lint_output):
    """jet4lint's warnings with their numbers left out: the fixtures' own
    untidiness (pages left marked, stale counts) stays, only new kinds count.
    """
    return {re.sub(r"[0-9]+", "N", l) for l in lint_output.splitlines()
            if l.startswith("WARN")}


def lint_problems(lint_tool, name, path, fixture):
    lint = run([sys.executable, lint_tool, path])
    last = (lint.stdout.strip().splitlines() or [""])[-1]
    new_warnings = warnings(lint.stdout) - warnings(
        run([sys.executable, lint_tool, fixture]).stdout)
    if lint.returncode != 0 or not last.startswith("OK"):
        return [f"{name}: jet4lint: {lint.stdout[-2000:]}"]
    if new_warnings:
        return [f"{name}: jet4lint: {sorted(new_warnings)}"]
    return []


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tests", required=True, help="the jet_tests program")
    ap.add_argument("--lint", default="", help="jet4lint.py (optional)")
    args = ap.parse_args()
    tools = [shutil.which(t) for t in ("mdb-tables", "mdb-json")]
    if None in tools:
        print("skipped: mdbtools missing")
        return 77
    if not args.lint:
        print("jet4lint.py not found: structural check skipped")
    mdb_tables, mdb_json = tools
    problems = []
    with tempfile.TemporaryDirectory() as out:
        env = dict(os.environ, JET_REBUILD_OUT=out)
        r = run([args.tests, "--gtest_filter=FixtureRebuildTest.*"], env=env)
        if r.returncode != 0:
            print(r.stdout[-4000:], r.stderr[-2000:])
            return 1
        with open(os.path.join(out, "manifest.txt"), encoding="utf-8") as f:
            lines = [l.rstrip("\n").split("\t") for l in f if l.strip()]
        if not lines:
            print("no rebuilt files")
            return 1
        for path, fixture, table, rows, *tables in lines:
            name = os.path.basename(path)
            if args.lint:
                problems += lint_problems(args.lint, name, path, fixture)
            listed = run([mdb_tables, "-1", path])
            got = set(listed.stdout.splitlines())
            missing = [t for t in tables if t not in got]
            if listed.returncode != 0 or missing:
                problems.append(f"{name}: mdb-tables misses {missing} "
                                f"{listed.stderr[-500:]}")
            # The re-created table's rows as mdbtools reads them in the
            # fixture; rows that were moved come back in another order.
            want = run([mdb_json, fixture, table])
            js = run([mdb_json, path, table])
            if js.returncode != 0 or want.returncode != 0:
                problems.append(f"{name}: mdb-json {table}: {js.stderr[-500:]}")
            elif sorted(js.stdout.splitlines()) != sorted(
                    want.stdout.splitlines()):
                problems.append(f"{name}: mdb-json {table}: rows differ")
            elif not js.stdout.strip() and int(rows) > 0:
                problems.append(f"{name}: mdb-json {table}: no rows")
            print(f"{name}: {table} ({rows} rows) checked")
    for p in problems:
        print("PROBLEM", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
