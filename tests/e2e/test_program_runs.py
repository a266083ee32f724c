"""The built program in temporary copies of examples/plant: exit codes, the
records and logs it leaves, and what it touches."""

import os
import shutil
import subprocess
import tempfile
import unittest

from plant import PROGRAM

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE_PLANT = os.path.join(HERE, "..", "..", "examples", "plant")


def ini_lines(path):
    with open(path, encoding="cp1252", newline="") as f:
        return f.read().splitlines()


def ini_value(path, section, key):
    """The value as the program reads it (names without regard to case)."""
    current = None
    for line in ini_lines(path):
        s = line.strip()
        if s.startswith("["):
            current = s[1:s.find("]")].strip().lower()
        elif current == section.lower() and "=" in s:
            k, v = s.split("=", 1)
            if k.strip().lower() == key.lower():
                return v.strip()
    return None


def set_ini_value(path, section, key, value):
    lines, current, done = ini_lines(path), None, False
    for i, line in enumerate(lines):
        s = line.strip()
        if s.startswith("["):
            current = s[1:s.find("]")].strip().lower()
        elif (current == section.lower() and "=" in s and
              s.split("=", 1)[0].strip().lower() == key.lower()):
            lines[i], done = f"{key}={value}", True
    assert done, (section, key)
    with open(path, "w", encoding="cp1252", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


class ProgramRunTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="corvane-e2e-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.base = os.path.join(self.dir, "Hmi")
        shutil.copytree(SAMPLE_PLANT, self.base)
        self.hx3 = os.path.join(self.base, "parameter", "hx3configuration.ini")
        set_ini_value(self.hx3, "Common", "SaveAndRestore",
                      os.path.join(self.base, "backup"))
        self.program = os.path.join(self.base, "Corvane", "Corvane_Config")
        shutil.copy(PROGRAM, self.program)
        self.cfg = os.path.join(self.base, "Corvane", "Corvane.cfg")
        self.error_log = os.path.join(self.base, "HX3cfglog.txt")

    def run_program(self, *args):
        """stdin from /dev/null, outside the plant, a small environment."""
        return subprocess.run([self.program, *args], cwd="/",
                              stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=300,
                              env={"USER": "abc", "PATH": "/usr/bin:/bin"})

    def snapshot(self):
        files = {}
        for root, _, names in os.walk(self.dir):
            for n in names:
                with open(os.path.join(root, n), "rb") as f:
                    files[os.path.join(root, n)] = f.read()
        return files

    def test_standalone_start_records_the_run_and_finishes(self):
        run = self.run_program()
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertEqual(ini_value(self.cfg, "Info", "S_Prog"),
                         "1.0.1 - Standalone")
        self.assertEqual(ini_value(self.cfg, "Info", "S_Editor"), "666768")
        self.assertEqual(ini_value(self.cfg, "Project",
                                   "DataBaseAdditionalFields"),
                         "shift_no,shift_name")
        self.assertFalse(os.path.exists(self.error_log))

    def test_integrated_errors_go_to_the_given_log_file(self):
        # No machine: two reports, answered by default (go on) without a
        # terminal. The log path is read in upper case; its folders are
        # found without regard to case.
        set_ini_value(self.hx3, "Common", "NameM1", "-")
        os.mkdir(os.path.join(self.dir, "logs"))
        run = self.run_program("/EXTERNAL=HX3CFG",
                               "/LOGFILE=" + self.dir + "/logs/run.txt")
        # Finished, but after reported failures.
        self.assertEqual(run.returncode, 4, run.stderr)
        self.assertIn("Unexpected error!", run.stderr)
        line = ("Fehler in Corvane / Corvane_Config_Exe / SetupUserInterFace "
                "(Nr. 9) :Subscript out of range")
        self.assertEqual(ini_lines(os.path.join(self.dir, "logs", "RUN.TXT")),
                         [line, line])
        self.assertFalse(os.path.exists(self.error_log))
        self.assertEqual(ini_value(self.cfg, "Info", "S_Prog"),
                         "1.0.1 - Integrated")

    def test_help_and_version_touch_no_file(self):
        before = self.snapshot()
        version = self.run_program("--version")
        self.assertEqual((version.returncode, version.stdout),
                         (0, "Corvane_Config 1.0.1\n"))
        help_run = self.run_program("--help")
        self.assertEqual(help_run.returncode, 0)
        self.assertIn("Usage: Corvane_Config", help_run.stdout)
        self.assertEqual(self.snapshot(), before)

    def test_other_arguments_go_to_the_program(self):
        run = self.run_program("--version", "/EXTERNAL=HX3CFG")
        self.assertEqual((run.returncode, run.stdout), (0, ""), run.stderr)
        self.assertEqual(ini_value(self.cfg, "Info", "S_Prog"),
                         "1.0.1 - Integrated")

    def test_missing_configuration_file_shows_the_fault_and_ends(self):
        os.remove(self.cfg)
        run = self.run_program()
        self.assertEqual(run.returncode, 1)
        self.assertIn("File not found: ", run.stderr)
        self.assertIn(self.cfg.upper(), run.stderr)
        self.assertFalse(os.path.exists(self.cfg))

    def test_failure_escaping_every_handler_gets_the_default_report(self):
        os.remove(os.path.join(self.base, "parameter", "Program.ini"))
        os.mkdir(self.error_log)
        run = self.run_program()
        self.assertEqual(run.returncode, 3)
        self.assertIn("Run-time error '", run.stderr)
        self.assertIn("':\n", run.stderr)
        self.assertEqual(ini_value(self.cfg, "Info", "S_Prog"), "")


if __name__ == "__main__":
    unittest.main()
