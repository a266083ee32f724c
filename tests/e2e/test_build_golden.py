"""The rebuilt component database of a 4,000-row plant, cell by cell and in
its catalog, against the digest of what the program has always written for
it: speed work on the build must not change a single stored value."""

import hashlib
import json
import subprocess
import unittest

from plant import MDB, PATTERNS, STANDARD, Plant, make_mdb

COLUMNS = STANDARD + [("shift_no", "Long"), ("shift_name", "Text(50)")]
ROWS = 4000
# sha256 of canonical() for the plant below.
GOLDEN = "fc02895dea80a1cdce6027b19be56569ad12a3de28ded8522029b762498dea88"
# Tables dumped; MSysAccessObjects is left out (`mdb dump` cannot read it).
TABLES = ["MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships",
          "Source_DEFS", "Source_PRESET_DEFS", "PRESET_DEFS"]


def preset_row(i, machine=None):
    """Row i of the template, or as generated for `machine` with other
    limits (the old component database)."""
    part = 2 if i % 3 == 0 else 1
    name = f"Var_{i:05d}"
    if machine and part == 2:
        name = f"M.{machine}.{name}"
    return [i, ["Line", "Press", "Oven"][i % 3], 1, part, name,
            10 * (1 + i % 3), i % 7 == 0, i,
            f"Value {i} of {machine or '###machine'}", f"Page{i % 20}",
            0.0, 1000.0, 20.0 if machine else 10.0,
            800.5 if machine else 900.0, 2 if machine else 1, 1 + i % 3,
            ["Early", "Late", "Night"][i % 3]]


def canonical(path):
    """The dump of every table, dates of the catalog masked (they are the
    times of the build)."""
    tables = []
    for name in TABLES:
        out = subprocess.run([MDB, "dump", "--json", "--system", path, name],
                             check=True, capture_output=True,
                             text=True).stdout
        table = json.loads(out)["tables"][0]
        dates = [k for k, c in enumerate(table["columns"])
                 if c["type"] == "Date"] if name == "MSysObjects" else []
        for row in table["rows"]:
            for k in dates:
                row[k] = "date"
        tables.append(table)
    return json.dumps(tables, sort_keys=True)


class BuildGoldenTest(unittest.TestCase):
    def test_rebuilt_database_is_unchanged(self):
        p = Plant(cfg={"ValidMachines": "ALL", "ForMachine1": "true",
                       "DataBaseAdditionalFields": "shift_no,shift_name"})
        self.addCleanup(p.cleanup)
        make_mdb(p.template, {
            "Source_DEFS": ([("ID", "Long"), ("System", "Text(50)"),
                             ("Var_Name", "Text(255)"), ("Part", "Long")],
                            PATTERNS),
            "Source_PRESET_DEFS": (COLUMNS, [preset_row(i)
                                             for i in range(1, ROWS + 1)]),
            "PRESET_DEFS": (COLUMNS, []),
        })
        p.make_component([preset_row(i, "M1") for i in range(1, ROWS + 1)],
                         columns=COLUMNS)
        result = p.run("/EXTERNAL=SILENT")
        self.assertEqual(result.returncode, 0, result.stderr)
        text = canonical(p.database)
        digest = hashlib.sha256(text.encode()).hexdigest()
        self.assertEqual(digest, GOLDEN, text[:2000])


if __name__ == "__main__":
    unittest.main()
