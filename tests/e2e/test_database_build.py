"""The database build of the built program, end to end, on real files."""

import os
import unittest

from plant import Plant, STANDARD, as_mdbtools, dump, lint, mdbtools_rows, preset

# Template IDs 5, 3, 9: generation takes them in ID order (3, 5, 9).
TEMPLATE = [
    preset(5, "Press", 1, "Speed", 0, text="Speed of ###machine"),
    preset(3, "Press", 2, "Temp_###machine", 1,
           text="Temperature ###MACHINE / ###Machine"),
    preset(9, "Oven", 1, "Pressure", 3, text=None,
           limits=(None, None, None, None), pass_=None, bit=True),
]


def generated(studio=False):
    temp = "Temp_M1_M1" if studio else "M.M1.Temp_M1"
    return [
        [1, "Press", 1, 2, temp, 10, False, 1, "Temperature M1 / ###Machine",
         "Main", 0, 10, 1, 9, 1],
        [2, "Press", 1, 1, "Speed", 10, False, 0, "Speed of M1", "Main", 0, 10,
         1, 9, 1],
        [3, "Oven", 1, 1, "Pressure", 10, True, 3, None, "Main", None, None,
         None, None, None],
    ]


def with_values(row, abs_min, abs_max, min_, max_, pass_):
    return row[:10] + [abs_min, abs_max, min_, max_, pass_]


class DatabaseBuildTest(unittest.TestCase):
    def plant(self, **kwargs):
        p = Plant(**kwargs)
        self.addCleanup(p.cleanup)
        return p

    def assertSoundFile(self, path):
        """jet4lint finds no fault, and mdbtools reads what we read."""
        self.assertTrue(lint(path).startswith("OK"), lint(path))
        self.assertEqual(mdbtools_rows(path, "PRESET_DEFS"),
                         as_mdbtools(dump(path, "PRESET_DEFS")))

    def assertRanCleanly(self, plant, result, code=0):
        self.assertEqual(result.returncode, code, result.stderr)
        self.assertFalse(os.path.exists(plant.error_log),
                         "unexpected error log")

    def test_first_run_builds_from_the_template_and_keeps_its_file_times(self):
        p = self.plant()
        p.make_template(TEMPLATE)
        past = 1577880000  # 2020-01-01
        os.utime(p.template, (past, past))
        self.assertRanCleanly(p, p.run())
        self.assertEqual(p.rows(), generated())
        self.assertEqual(p.rows(p.template), generated())
        self.assertEqual(int(os.stat(p.template).st_mtime), past)
        self.assertSoundFile(p.database)
        with open(p.template, "rb") as a, open(p.database, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_studio_project_builds_studio_names(self):
        p = self.plant(vwstudio=True)
        p.make_template(TEMPLATE)
        self.assertRanCleanly(p, p.run())
        self.assertEqual(p.rows(), generated(studio=True))

    def test_integrated_start_takes_the_machine_copy_over(self):
        p = self.plant()
        p.make_template(TEMPLATE)
        # The machine copy carries the studio form; it is switched first.
        p.make_component([
            preset(7, "PRESS", 2, "temp_m1_m1", 1, limits=(-5, 50, -4, 40),
                   pass_=8),
            preset(8, "Oven", 1, "Pressure", 3, limits=(None, 1, None, 2),
                   pass_=None),
        ], path=p.machine_copy)
        p.make_component([preset(1, "Press", 1, "Speed", 0, pass_=99)])
        log = os.path.join(p.dir, "integrated.log")
        result = p.run(f"/EXTERNAL=HX3CFG /LOGFILE={log}")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFalse(os.path.exists(log))
        rows = generated()
        rows[0] = with_values(rows[0], -5, 50, -4, 40, 8)
        rows[2] = with_values(rows[2], None, 1, None, 2, None)
        self.assertEqual(p.rows(), rows)
        self.assertSoundFile(p.database)
        # The machine copy itself is only read.
        self.assertEqual(p.rows(p.machine_copy)[0][4], "temp_m1_m1")

    def test_which_machines_are_built(self):
        cases = [
            ({"ValidMachines": "m10,M11", "ForMachine1": "false"}, True, 3),
            ({"ValidMachines": "", "ForMachine1": "true"}, True, 0),
            ({"ValidMachines": "ALL"}, False, 0),  # no ForMachine1
            ({"ForMachine1": "TRUE"}, False, 3),
        ]
        for cfg, integrated, count in cases:
            with self.subTest(cfg=cfg, integrated=integrated):
                p = self.plant(cfg=cfg)
                p.make_template(TEMPLATE)
                args = ["/EXTERNAL=HX3CFG"] if integrated else []
                result = p.run(*args)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(len(p.rows()), count)

    def test_part_after_var_name_fails_every_name(self):
        columns = STANDARD[:3] + STANDARD[4:5] + STANDARD[3:4] + STANDARD[5:]
        rows = [r[:3] + r[4:5] + r[3:4] + r[5:] for r in TEMPLATE]
        p = self.plant()
        p.make_template(rows, columns=columns)
        result = p.run()
        self.assertEqual(result.returncode, 4, result.stderr)
        # The failed pattern step leaves the candidate empty; the machine
        # replacements that follow turn it into the empty text.
        self.assertEqual([r[3] for r in p.rows()], ["", "", ""])
        with open(p.error_log, encoding="cp1252") as f:
            log = f.read()
        self.assertIn("Fehler in Corvane / ", log)
        self.assertIn(" / CreateRecordSets (Nr. 94) :", log)

    def test_legacy_copy_with_categorie_and_extra_column_is_taken_over(self):
        columns = [("categorie", "Long") if c[0] == "category_id" else c
                   for c in STANDARD] + [("shift_no", "Long")]
        p = self.plant()
        p.make_template(TEMPLATE)
        p.make_component([preset(1, "Press", 1, "Speed", 0, pass_=42) + [3]],
                         columns=columns)
        self.assertRanCleanly(p, p.run())
        rows = generated()
        rows[1] = with_values(rows[1], 0, 10, 1, 9, 42)
        self.assertEqual(p.rows(), rows)

    def test_missing_demanded_field_ends_the_run(self):
        p = self.plant(cfg={"ForMachine1": "true",
                            "DataBaseAdditionalFields": "shift_no"})
        p.make_template(TEMPLATE)
        p.make_component([preset(1, "Press", 1, "Speed", 0)])
        before = p.rows()
        result = p.run()
        self.assertEqual(result.returncode, 1, result.stderr)
        with open(p.error_log, encoding="cp1252") as f:
            log = f.read()
        self.assertIn('demanded field "SHIFT_NO"missing in machinecopy-database',
                      log)
        self.assertEqual(p.rows(), before)

    def test_duplicates_quotes_and_null_keys(self):
        template = TEMPLATE + [preset(10, "Press", 1, "Speed", 0, text="dup")]
        p = self.plant()
        p.make_template(template)
        p.make_component([
            preset(1, "Press", 1, "Speed", 0, pass_=5),
            preset(2, "Press", 1, 'Sp"eed', 0, pass_=6),
            preset(3, "Oven", 1, "Pressure", None, pass_=7),
        ])
        self.assertRanCleanly(p, p.run())
        rows = p.rows()
        self.assertEqual(len(rows), 4)
        self.assertEqual([r[14] for r in rows], [1, 5, None, 1])
        self.assertSoundFile(p.database)


if __name__ == "__main__":
    unittest.main()
