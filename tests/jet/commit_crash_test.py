#!/usr/bin/env python3
"""Kills jet_commit_driver with SIGKILL at many moments of its run and checks
that every commit is all or nothing. The driver commits numbered change
batches to a copy of a sample file (Save after each); a reference run keeps
the state after every batch. After each kill the file must pass `mdb check`,
mdbtools (mdb-tables, mdb-json) and jet4lint when it is there, and hold
exactly the state after the last batch the driver reported or the one after
it (a kill between Save and the report), compared with `mdb dump --json`.

Kill moments: at the n-th write, fsync, fchmod and rename system call of the
run (strace fault injection, when strace is installed), and after delays
spread over the run. A last run under a file-size limit (a full disk) must
fail one Save with 57 and leave the file as after the batch before.
Prints the counts. Exit 0 on success, 1 on a problem.
"""

import argparse
import glob
import os
import random
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, **kw)


class Crash:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.db = os.path.join(work, "db.mdb")
        self.refs = []
        self.problems = []
        self.lint = args.lint if args.lint and os.path.isfile(args.lint) else None

    def fresh_copy(self):
        for f in glob.glob(self.db + "*"):
            os.remove(f)
        shutil.copyfile(self.args.sample, self.db)
        os.chmod(self.db, 0o644)

    def dump(self, path):
        out = run([self.args.mdb, "dump", "--json", path])
        return out.stdout if out.returncode == 0 else None

    def reference(self):
        states = os.path.join(self.work, "states")
        os.mkdir(states)
        self.fresh_copy()
        self.refs.append(self.dump(self.db))
        out = run([self.args.driver, self.db, str(self.args.batches),
                   "--keep", states])
        if out.returncode != 0:
            sys.exit("reference run failed: " + out.stderr.decode())
        # The length of a plain run, for the timed kills.
        self.fresh_copy()
        start = time.monotonic()
        if run([self.args.driver, self.db, str(self.args.batches)]).returncode:
            sys.exit("plain run failed")
        self.duration = time.monotonic() - start
        for b in range(1, self.args.batches + 1):
            self.refs.append(self.dump(os.path.join(states, f"state-{b}.mdb")))
        self.sizes = [os.path.getsize(os.path.join(states, f"state-{b}.mdb"))
                      for b in range(1, self.args.batches + 1)]

    def committed(self):
        try:
            with open(self.db + ".committed") as f:
                return int(f.read())
        except (OSError, ValueError):
            return 0

    def verify(self, label, allowed):
        where = f"{label} (after batch {allowed[0]})"
        check = run([self.args.mdb, "check", self.db])
        if check.returncode != 0:
            self.problems.append(f"{where}: mdb check: {check.stdout[-500:]}")
        state = self.dump(self.db)
        if state is None or state not in [self.refs[b] for b in allowed]:
            self.problems.append(f"{where}: content is no committed state")
        tables = run(["mdb-tables", "-1", self.db])
        if tables.returncode != 0:
            self.problems.append(f"{where}: mdb-tables failed")
        for t in tables.stdout.decode().split():
            if run(["mdb-json", self.db, t]).returncode != 0:
                self.problems.append(f"{where}: mdb-json {t} failed")
        if self.lint:
            lint = run([sys.executable, self.lint, self.db])
            last = lint.stdout.decode().strip().splitlines()[-1:] or [""]
            if lint.returncode != 0 or not last[0].startswith("OK"):
                self.problems.append(f"{where}: jet4lint: {last[0]}")

    def kill_at_syscall(self, syscall, n):
        self.fresh_copy()
        out = run(["strace", "-f", "-qq", "-o", "/dev/null",
                   "-e", "trace=" + syscall,
                   "-e", f"inject={syscall}:signal=KILL:when={n}",
                   self.args.driver, self.db, str(self.args.batches)])
        killed = out.returncode != 0
        b = self.committed()
        self.verify(f"kill at {syscall} #{n}", [b, min(b + 1, len(self.refs) - 1)])
        return killed

    def kill_after(self, seconds):
        self.fresh_copy()
        p = subprocess.Popen([self.args.driver, self.db, str(self.args.batches)],
                             stdout=subprocess.DEVNULL)
        time.sleep(seconds)
        p.send_signal(signal.SIGKILL)
        killed = p.wait() == -signal.SIGKILL
        b = self.committed()
        self.verify(f"kill after {seconds:.3f}s",
                    [b, min(b + 1, len(self.refs) - 1)])
        return killed

    def disk_full(self):
        self.fresh_copy()
        limit = self.sizes[2]  # the third commit fits, a larger one does not

        def cap():
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
        out = run([self.args.driver, self.db, str(self.args.batches)],
                  preexec_fn=cap)
        text = out.stdout.decode()
        if out.returncode != 3 or " 57 " not in text:
            self.problems.append(f"disk full: driver ended {out.returncode}: "
                                 f"{text} {out.stderr.decode()}")
            return
        failed = int(text.split("batch ")[1].split()[0])
        self.verify(f"disk full at batch {failed}", [failed - 1])
        if glob.glob(self.db + ".tmp*"):
            self.problems.append("disk full: temporary file left behind")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--driver", required=True)
    ap.add_argument("--mdb", required=True)
    ap.add_argument("--sample", required=True)
    ap.add_argument("--lint")
    ap.add_argument("--batches", type=int, default=12)
    ap.add_argument("--timed-kills", type=int, default=30)
    args = ap.parse_args()
    if not shutil.which("mdb-tables") or not shutil.which("mdb-json"):
        print("SKIP: mdbtools not installed")
        return 77
    with tempfile.TemporaryDirectory() as work:
        c = Crash(args, work)
        c.reference()
        kills = attempts = syscall_kills = 0
        if shutil.which("strace"):
            per_batch = {"write": 2, "fsync": 4, "fchmod": 2, "rename": 2}
            for syscall, count in per_batch.items():
                total = count * args.batches
                for n in sorted(set(range(1, total + 1, max(1, total // 12)))):
                    attempts += 1
                    syscall_kills += c.kill_at_syscall(syscall, n)
            kills += syscall_kills
        else:
            print("strace not installed: timed kills only")
        rng = random.Random(11)
        for i in range(args.timed_kills):
            attempts += 1
            delay = c.duration * (i + rng.random()) / args.timed_kills
            kills += c.kill_after(delay)
        c.disk_full()
        print(f"{attempts} kill attempts, {kills} killed the driver mid-run "
              f"({syscall_kills} at a system call of a commit), "
              f"{len(c.problems)} problems; a plain run takes "
              f"{c.duration:.2f}s for {args.batches} commits; "
              f"jet4lint {'used' if c.lint else 'not found'}")
        if kills < 50:
            c.problems.append(f"only {kills} kills hit the running driver")
        for p in c.problems[:20]:
            print("PROBLEM", p)
        return 1 if c.problems else 0


if __name__ == "__main__":
    sys.exit(main())
