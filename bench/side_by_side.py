"""Whole commands timed side by side, for the benchmark scripts.

Each command's CPU time (user + system of the process, from wait4) and wall time are taken over
whole runs with the output discarded.  In every round each command runs often enough that its CPU
time there is at least one second (so the clock's resolution stays under 2 %); a figure is the
median of the rounds.  The results are printed as a table of measures against their targets.
"""
import math
import os
import statistics
import subprocess
import sys
import time


_serial = [0]


def warm(paths):
    """Reads the files once, so that the runs find them in the page cache."""
    for p in paths:
        with open(p, "rb") as f:
            while f.read(1 << 22):
                pass


def durable_copy(sources, copies):
    """The command that copies each source with cp to its copy, then syncs the copies."""
    script = "; ".join("cp %s %s" % (s, c) for s, c in zip(sources, copies))
    return ["sh", "-c", script + "; sync " + " ".join(copies)]


def run_once(cmd, env=None, ok=(0,), sync=False, fresh=(), before=None):
    """CPU and wall seconds of one run.  sync: the writes of earlier runs are put on the disk
    first, so that no run pays for another's.  fresh: paths the run writes; "{n}" in them and in
    cmd becomes a number new for each run (a new file name each time, as a user's copy makes),
    and those files are removed after the run, untimed.  before: called (untimed) with that
    number before the run.  A run whose exit status is not in ok stops the script."""
    _serial[0] += 1
    n = str(_serial[0])
    cmd = [c.replace("{n}", n) if isinstance(c, str) else c for c in cmd]
    if before:
        before(n)
    if sync:
        os.sync()
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(cmd, stdout=null, stderr=null, env=env)
        _, status, ru = os.wait4(p.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) not in ok:
        sys.exit("failed: %s" % " ".join(str(c) for c in cmd))
    for f in fresh:
        try:
            os.remove(f.replace("{n}", n))
        except FileNotFoundError:
            pass
    return ru.ru_utime + ru.ru_stime, wall


def repeats_for(cmd, **kw):
    """Runs of cmd that make at least one second of CPU time."""
    cpu, _ = run_once(cmd, **kw)
    return max(1, math.ceil(1.0 / max(cpu, 1e-3)))


def sample(cmd, k, **kw):
    """Mean CPU and wall seconds per run over k runs."""
    cpu = wall = 0.0
    for _ in range(k):
        c, w = run_once(cmd, **kw)
        cpu += c
        wall += w
    return cpu / k, wall / k


class Rounds:
    """cmds: name -> (cmd, run_once keywords).  Runs every command in each round."""

    def __init__(self, cmds, rounds):
        self.reps = {name: repeats_for(cmd, **kw) for name, (cmd, kw) in cmds.items()}
        self.got = {name: [] for name in cmds}
        for _ in range(rounds):
            for name, (cmd, kw) in cmds.items():
                self.got[name].append(sample(cmd, self.reps[name], **kw))

    def add(self, name, cpu, wall):
        """A figure measured some other way (a program timing its own loop)."""
        self.got.setdefault(name, []).append((cpu, wall))

    def med(self, name, i=0):
        """Median CPU (i = 0) or wall (i = 1) seconds."""
        return statistics.median(s[i] for s in self.got[name])

    def runs(self):
        return ", ".join("%s %d" % kv for kv in self.reps.items())


class Table:
    def __init__(self):
        self.rows = []

    def add(self, what, target, figure, wall, ok=None):
        self.rows.append((what, target, figure, wall,
                          "" if ok is None else ("PASS" if ok else "FAIL")))

    def ratio(self, r, what, target, a, b, ok=None, faster=False, wall_ok=False):
        """The CPU time of command a against b (b against a when faster), with the wall ratio and
        both wall times.  wall_ok: the target holds for the wall ratio too."""
        ratio = r.med(b) / r.med(a) if faster else r.med(a) / r.med(b)
        wall = r.med(b, 1) / r.med(a, 1) if faster else r.med(a, 1) / r.med(b, 1)
        figure = "%.3f s vs %.3f s = %.2fx%s" % (r.med(a), r.med(b), ratio,
                                                 " faster" if faster else "")
        walls = "%.2fx (%.3f s vs %.3f s)" % (wall, r.med(a, 1), r.med(b, 1))
        self.add(what, target, figure, walls,
                 None if ok is None else ok(ratio) and (not wall_ok or ok(wall)))

    def print(self):
        header = ("measure", "target", "figure (CPU)", "wall")
        w = [max(len(r[i]) for r in self.rows + [header + ("",)]) for i in range(4)]
        print("%-*s  %-*s  %-*s  %-*s  %s" % (w[0], header[0], w[1], header[1], w[2], header[2],
                                               w[3], header[3], "result"))
        for r in self.rows:
            print("%-*s  %-*s  %-*s  %-*s  %s" % (w[0], r[0], w[1], r[1], w[2], r[2], w[3], r[3],
                                                   r[4]))
