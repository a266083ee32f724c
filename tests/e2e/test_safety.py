"""What a run leaves behind when it is killed, meets a full disk, injected
I/O errors, a read-only or damaged template or a second instance: each
database passes `mdb check` and mdbtools and holds exactly its contents from
before the run or exactly those of a clean run; the exit code is 0 only for
a clean run.

The plant is a renaming run: the component database holds the studio form
of every variable name, the project the classic one, so every row of the
build renames one row of the component database before its values are
taken over.
"""

import fcntl
import os
import resource
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from plant import MDB, Plant, as_mdbtools, dump, mdbtools_rows, preset

ROWS = 3000
SHIM = os.environ.get("FAULT_SHIM", "")
CALLS = ("write", "fsync", "rename")


def template_rows(n=ROWS):
    return [preset(i + 1, "Press", 2, f"Var{i}", i, text=f"T{i}")
            for i in range(n)]


def component_rows(n=ROWS):
    """The machine's values, under the studio form of the names."""
    return [preset(i + 1, "Press", 2, f"Var{i}_M1", i,
                   limits=(-i, i + 100, 1 - i, i + 99), pass_=i % 7)
            for i in range(n)]


def contents(path):
    """Every table of the file as `mdb dump` gives it; None when unreadable."""
    run = subprocess.run([MDB, "dump", "--json", path], capture_output=True,
                         text=True)
    return run.stdout if run.returncode == 0 else None


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


class Reference:
    """The plant's files before a run and what a clean run makes of them."""

    def __init__(self):
        p = Plant()
        try:
            p.make_template(template_rows())
            p.make_component(component_rows())
            self.template, self.database = read(p.template), read(p.database)
            self.before = {"template": contents(p.template),
                           "database": contents(p.database)}
            start = time.monotonic()
            result = p.run()
            self.duration = time.monotonic() - start
            assert result.returncode == 0, result.stderr
            self.clean = {"template": contents(p.template),
                          "database": contents(p.database)}
            # Every machine value arrived under the new name.
            assert p.rows()[-1][4] == f"M.M1.Var{ROWS - 1}"
            assert p.rows()[-1][10:] == component_rows()[-1][10:]
        finally:
            p.cleanup()


REFERENCE = None


def setUpModule():
    global REFERENCE
    REFERENCE = Reference()


class SafetyTest(unittest.TestCase):
    def plant(self, template=None):
        p = Plant()
        self.addCleanup(p.cleanup)
        write(p.template, REFERENCE.template if template is None else template)
        write(p.database, REFERENCE.database)
        return p

    def start(self, p, env=None, preexec_fn=None):
        return subprocess.Popen([p.program], stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True, cwd=p.dir,
                                env=dict(os.environ, **(env or {})),
                                preexec_fn=preexec_fn)

    def run_program(self, p, env=None, preexec_fn=None):
        proc = self.start(p, env, preexec_fn)
        out, err = proc.communicate(timeout=300)
        return proc.returncode, err

    def assertSound(self, path, what):
        check = subprocess.run([MDB, "check", path], capture_output=True,
                               text=True)
        self.assertEqual(check.returncode, 0, f"{what}: {check.stdout}")
        self.assertEqual(mdbtools_rows(path, "PRESET_DEFS"),
                         as_mdbtools(dump(path, "PRESET_DEFS")), what)

    def assertBeforeOrClean(self, p, code, what, template_untouched=False):
        """Returns True when both files are as a clean run leaves them."""
        states = {}
        for name, path in (("template", p.template), ("database", p.database)):
            if name == "template" and template_untouched:
                continue
            self.assertSound(path, f"{what}, {name}")
            now = contents(path)
            self.assertTrue(
                now in (REFERENCE.before[name], REFERENCE.clean[name]),
                f"{what}: {name} neither as before nor as after")
            states[name] = now == REFERENCE.clean[name]
        clean = all(states.values())
        if code == 0:
            self.assertTrue(clean, f"{what}: exit 0 but not a clean result")
        return clean

    def assertNextRunIsClean(self, p, what):
        code, err = self.run_program(p)
        self.assertEqual(code, 0, f"{what}, next run: {err}")
        self.assertTrue(self.assertBeforeOrClean(p, code, what + ", next run"))

    def fault(self, p, call, at, action):
        """Runs with the n-th `call` on a database file (or its temporary
        file) failing or killing; None when the run made fewer such calls."""
        mark = os.path.join(p.dir, "fault-mark")
        write(mark, b"")
        code, err = self.run_program(p, {
            "LD_PRELOAD": SHIM, "FAULT_CALL": call, "FAULT_AT": str(at),
            "FAULT_ACTION": action, "FAULT_MARK": mark, "FAULT_ONLY": ".mdb"})
        return None if os.path.exists(mark) else (code, err)

    def for_each_call(self, actions, check):
        """Every call of each kind a clean run makes, each with `actions`."""
        struck = 0
        for call in CALLS:
            for action in actions:
                if action == "kill-torn" and call != "write":
                    continue
                for at in range(1, 50):
                    p = self.plant()
                    outcome = self.fault(p, call, at, action)
                    if outcome is None:
                        break
                    struck += 1
                    check(p, outcome, f"{action} at {call} #{at}")
        return struck

    @unittest.skipUnless(SHIM, "FAULT_SHIM not set")
    def test_killed_around_every_write_fsync_and_rename(self):
        def check(p, outcome, what):
            self.assertEqual(outcome[0], -signal.SIGKILL, what)
            self.assertBeforeOrClean(p, outcome[0], what)
            self.assertNextRunIsClean(p, what)
        struck = self.for_each_call(("kill-before", "kill-torn", "kill-after"),
                                    check)
        print(f"\nkilled around {struck} calls")
        self.assertGreaterEqual(struck, 12)

    @unittest.skipUnless(SHIM, "FAULT_SHIM not set")
    def test_each_database_is_written_once(self):
        """The template's commit and the copy: two writes, however many
        rows were renamed and built."""
        p = self.plant()
        self.assertIsNotNone(self.fault(p, "write", 2, "kill-after"))
        self.assertIsNone(self.fault(self.plant(), "write", 3, "eio"))

    def test_killed_at_moments_across_the_run(self):
        """Delays spread over the run (its renaming build included) until
        40 kills struck a running program; a kill that came too late
        shortens the spread (the machine may have got faster)."""
        wanted, hit, spread = 40, 0, REFERENCE.duration
        for k in range(2 * wanted):
            if hit == wanted:
                break
            p = self.plant()
            proc = self.start(p)
            time.sleep(spread * ((k * 0.618) % 1.0))
            proc.kill()
            proc.communicate()
            if proc.returncode == -signal.SIGKILL:
                hit += 1
            else:
                spread *= 0.9
            what = f"killed at kill {k}"
            self.assertBeforeOrClean(p, proc.returncode, what)
            self.assertNextRunIsClean(p, what)
        print(f"\n{hit} timed kills struck a running build")
        self.assertEqual(hit, wanted)

    @unittest.skipUnless(SHIM, "FAULT_SHIM not set")
    def test_injected_io_errors(self):
        def check(p, outcome, what):
            clean = self.assertBeforeOrClean(p, outcome[0], what)
            if not clean:
                self.assertEqual(outcome[0], 4, f"{what}: {outcome[1]}")
                with open(p.error_log, encoding="cp1252") as f:
                    self.assertIn("WorkOnMDB", f.read(), what)
        struck = self.for_each_call(("eio", "enospc"), check)
        print(f"\n{struck} injected I/O errors")
        self.assertGreaterEqual(struck, 10)

    def test_full_disk(self):
        """A file-size limit below what the build writes (EFBIG), and a
        small tmpfs where this system lets the test mount one (ENOSPC)."""
        size = len(REFERENCE.template)
        for limit in (4096, 65536, size // 2, size - 4096):
            p = self.plant()

            def limit_files(limit=limit):
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
            code, err = self.run_program(p, preexec_fn=limit_files)
            what = f"file size limit {limit}"
            self.assertEqual(code, 4, f"{what}: {err}")
            self.assertFalse(self.assertBeforeOrClean(p, code, what))
        mounted = 0
        for free in (0, 64 * 1024, size // 2, size + size // 2):
            p = self.plant()
            if not self.mount_full(p, free):
                break
            code, err = self.run_program(p)
            self.unmount(p)
            self.assertBeforeOrClean(p, code, f"tmpfs with {free} bytes free")
            mounted += 1
        print(f"\n{mounted} tmpfs sizes" if mounted else
              "\ntmpfs not available here; file size limits only")

    def mount_full(self, p, free):
        """Puts the component folder on a tmpfs with about `free` bytes
        left; False where mounting is not allowed."""
        files = {n: read(os.path.join(p.component, n))
                 for n in os.listdir(p.component)}
        used = sum((len(b) + 4095) // 4096 * 4096 for b in files.values())
        mount = subprocess.run(
            ["mount", "-t", "tmpfs", "-o", f"size={used + free}", "tmpfs",
             p.component], capture_output=True)
        if mount.returncode != 0:
            return False
        for name, data in files.items():
            write(os.path.join(p.component, name), data)
        os.chmod(p.program, 0o755)
        return True

    def unmount(self, p):
        files = {n: read(os.path.join(p.component, n))
                 for n in os.listdir(p.component)}
        subprocess.run(["umount", p.component], check=True)
        for name, data in files.items():
            write(os.path.join(p.component, name), data)

    def test_read_only_template_is_neither_changed_nor_copied(self):
        p = self.plant()
        os.chmod(p.template, 0o444)
        code, err = self.run_program(p)
        self.assertEqual(code, 4, err)
        self.assertEqual(read(p.template), REFERENCE.template)
        self.assertEqual(read(p.database), REFERENCE.database)
        with open(p.error_log, encoding="cp1252") as f:
            self.assertIn("WorkOnMDB", f.read())

    def test_two_instances_at_once(self):
        for delay in (0, 0.05, REFERENCE.duration / 3):
            p = self.plant()
            first = self.start(p)
            time.sleep(delay)
            second = self.start(p)
            for proc in (first, second):
                proc.communicate(timeout=300)
                self.assertEqual(proc.returncode, 0)
            self.assertTrue(self.assertBeforeOrClean(p, 0, f"delay {delay}"))

    def test_a_run_held_out_for_a_minute_reports_3006(self):
        p = self.plant()
        folder = os.open(p.component, os.O_RDONLY)
        self.addCleanup(os.close, folder)
        fcntl.flock(folder, fcntl.LOCK_EX)
        start = time.monotonic()
        code, err = self.run_program(p)
        self.assertGreaterEqual(time.monotonic() - start, 59)
        self.assertEqual(code, 4, err)
        self.assertEqual(read(p.template), REFERENCE.template)
        self.assertEqual(read(p.database), REFERENCE.database)
        with open(p.error_log, encoding="cp1252") as f:
            log = f.read()
        self.assertIn("3006", log)
        self.assertIn("is exclusively locked", log)

    def test_damaged_templates_are_reported_and_never_copied(self):
        good = REFERENCE.template
        page = 4096
        pages = len(good) // page

        def flip(offset, value):
            return good[:offset] + bytes([value]) + good[offset + 1:]
        damaged = {
            "one page short": good[:-page],
            "two pages short": good[:-2 * page],
            "half": good[:pages // 2 * page],
            "four pages": good[:4 * page],
            "catalog definition not a definition": flip(2 * page, 0x01),
            "usage map of a definition past its rows": flip(4 * page + 55,
                                                            0x7F),
            "data page of another table": flip(40 * page + 4, 0x7F),
            "row count past the page": flip(40 * page + 13, 0x7F),
            "global usage map too short": flip(page + 14, 0xFF),
            "index page of another table": flip(9 * page + 4, 0x7F),
        }
        for what, image in damaged.items():
            p = self.plant(image)
            check = subprocess.run([MDB, "check", p.template],
                                   capture_output=True)
            self.assertNotEqual(check.returncode, 0, f"{what}: not damaged")
            code, err = self.run_program(p)
            # 4, or 1 where the takeover ends the run for want of a template
            self.assertIn(code, (1, 4), f"{what}: {err}")
            self.assertEqual(read(p.template), image, what)
            self.assertEqual(read(p.database), REFERENCE.database, what)
            self.assertSound(p.database, what)


class LetterCaseTest(unittest.TestCase):
    """Database files whose names differ in letter case from the program's."""

    def run_case(self, integrated):
        p = Plant()
        self.addCleanup(p.cleanup)
        p.make_template(template_rows(20))
        lower = os.path.join(p.component, "corvane.mdb")
        p.make_component(component_rows(20), path=lower)
        os.rename(p.template,
                  os.path.join(p.component, "CORVANE_SOURCE.MDB"))
        if integrated:
            copy = os.path.join(p.backup, "Corvane", "CORVANE.mdb")
            p.make_component(component_rows(20), path=copy)
        result = p.run(*(["/EXTERNAL=HX3CFG"] if integrated else []))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(sorted(n for n in os.listdir(p.component)
                                if n.lower().endswith(".mdb")),
                         ["CORVANE_SOURCE.MDB", "corvane.mdb"])
        rows = p.rows(lower)
        self.assertEqual(len(rows), 20)
        for row, old in zip(rows, component_rows(20)):
            self.assertEqual(row[10:], old[10:])

    def test_standalone_run_keeps_the_machine_values(self):
        self.run_case(integrated=False)

    def test_integrated_run_keeps_the_machine_values(self):
        self.run_case(integrated=True)


if __name__ == "__main__":
    unittest.main()
