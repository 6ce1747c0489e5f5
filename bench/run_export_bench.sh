#!/bin/sh
# The exports against their targets, on one generated page file with the files in the page cache:
#   1. `sorakumo-tool export text` against `cp` of the memo file (.dbt) into the same folder;
#   2. against a python3-dbfread script writing the same pages to text (the same lines: date,
#      category, title, subtitle, images, text, two empty lines; CP932);
#   3. `sorakumo-tool export html` against the text export.
#
#   bench/run_export_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 100000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), made when
# missing; ROUNDS (default 5) is the number of rounds.  The exports run with the default settings
# (an empty settings folder).  Each round times every command side by side; a command is run often
# enough in a round that its CPU time there is at least one second, so the clock's resolution stays
# under 2 %.  Before each run the written files are synced, so that one command's writes are not
# put on the disk (and charged) during another's.  Each figure is the median of the rounds; ratios use CPU time (user + system), wall
# time beside.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool
out=$scratch/export_out
rm -rf "$out"
mkdir -p "$out/conf"
cat "$f" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" > /dev/null

echo "export text, export html, cp, dbfread ($rounds rounds)..."
SORAKUMO_CONFIG_DIR=$out/conf $py - "$tool" "$f" "$out" "$rounds" <<'PYEOF'
import math, os, statistics, subprocess, sys, time

tool, dbf, out, rounds = sys.argv[1:5]
rounds = int(rounds)
dbt = dbf[:-4] + ".dbt"

DBFREAD = r'''
import sys
from dbfread import DBF
src, dst = sys.argv[1:3]
with open(dst, "wb") as o:
    for r in DBF(src, encoding="cp932", char_decode_errors="surrogateescape"):
        d = r["DATE"]
        lines = ["\u25cf%04d/%02d/%02d" % (d.year, d.month, d.day) if d else "",
                 "\u25cf\u5206\u985e = " + (r["BUNRUI"] or "").strip(),
                 "\u25cf\u30bf\u30a4\u30c8\u30eb = " + (r["TITLE"] or "").strip(),
                 "\u25cf\u30b5\u30d6\u30bf\u30a4\u30c8\u30eb = " + (r["SUBTITLE"] or "").strip(),
                 "\u25cf\u753b\u50cf\u30d5\u30a1\u30a4\u30eb = " + (r["IMAGEFILE"] or "").strip()]
        text = (r["TEXT"] or "").replace("\r\n", "\n").replace("\r", "\n")
        if text.endswith("\n"):
            text = text[:-1]
        body = "\n".join(lines) + "\n" + (text + "\n" if text else "") + "\n\n"
        o.write(body.encode("cp932", errors="surrogateescape"))
'''


def run_once(cmd):
    """CPU (user + system, from wait4) and wall seconds of one run, output discarded.  The
    writes of the run before are put on the disk first, so that no run pays for another's."""
    os.sync()
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(cmd, stdout=null, stderr=null)
        _, status, ru = os.wait4(p.pid, 0)
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return ru.ru_utime + ru.ru_stime, time.perf_counter() - start


cmds = {
    "export text": [tool, "export", "text", dbf, os.path.join(out, "p.txt")],
    "export html": [tool, "export", "html", dbf, os.path.join(out, "p.html")],
    "cp memo file": ["cp", dbt, os.path.join(out, "copy.dbt")],
    "dbfread to text": [sys.executable, "-c", DBFREAD, dbf, os.path.join(out, "dbfread.txt")],
}


def repeats_for(cmd):
    cpu, _ = run_once(cmd)
    return max(1, math.ceil(1.0 / max(cpu, 1e-3)))


def sample(cmd, k):
    cpu = wall = 0.0
    for _ in range(k):
        c, w = run_once(cmd)
        cpu += c
        wall += w
    return cpu / k, wall / k


reps = {name: repeats_for(c) for name, c in cmds.items()}
got = {name: [] for name in cmds}
for _ in range(rounds):
    for name, cmd in cmds.items():
        got[name].append(sample(cmd, reps[name]))


def med(name, i=0):
    return statistics.median(s[i] for s in got[name])


rows = []


def row(what, target, a, b, ok=None, faster=False):
    ratio = med(b) / med(a) if faster else med(a) / med(b)
    wall = med(b, 1) / med(a, 1) if faster else med(a, 1) / med(b, 1)
    figure = "%.3f s vs %.3f s = %.2fx%s" % (med(a), med(b), ratio, " faster" if faster else "")
    rows.append((what, target, figure, "%.2fx" % wall,
                 "" if ok is None else ("PASS" if ok(ratio) else "FAIL")))


row("export text vs cp of the memo file", "<= 2x", "export text", "cp memo file",
    lambda r: r <= 2)
row("export text vs dbfread to text", ">= 5x faster", "export text", "dbfread to text",
    lambda r: r >= 5, faster=True)
row("export html vs export text", "<= 2x", "export html", "export text", lambda r: r <= 2)

sizes = {n: os.path.getsize(os.path.join(out, p)) / 1e6 for n, p in
         (("text", "p.txt"), ("html", "p.html"), ("dbfread", "dbfread.txt"), ("memo", "copy.dbt"))}
print()
print("%s: medians of %d rounds; runs per round: %s" % (
    os.path.basename(dbf), rounds, ", ".join("%s %d" % kv for kv in reps.items())))
print("  sizes (MB): " + ", ".join("%s %.0f" % kv for kv in sizes.items()))
for name in cmds:
    print("  %-20s %.3f s CPU  %.3f s wall" % (name, med(name), med(name, 1)))
print()
header = ("measure", "target", "figure (CPU)", "wall", "")
w = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
print("%-*s  %-*s  %-*s  %-*s  %s" % (w[0], "measure", w[1], "target", w[2], "figure (CPU)",
                                       w[3], "wall", "result"))
for r in rows:
    print("%-*s  %-*s  %-*s  %-*s  %s" % (w[0], r[0], w[1], r[1], w[2], r[2], w[3], r[3], r[4]))
PYEOF
