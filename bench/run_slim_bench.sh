#!/bin/sh
# Slimming a page file against a durable copy of its three files, side by side in each round:
#   cp+sync   the three files copied with cp to new names, then the copies synced to disk
#             (`sync FILE...`)
#   slim      `sorakumo-tool slim` (which syncs its new files) of a fresh copy of the page file
# on pPAGES.dbf and on the copy another program wrote (bench_independent), each with every tenth
# page deleted (index rebuilt after the deletion).
#
#   bench/run_slim_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 100000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), made
# when missing; ROUNDS (default 5) rounds, each figure the median of the rounds.  Every run starts
# with the writes of the one before on the disk and the files it reads in the page cache; the
# fresh copy a slimming works on is made before it, untimed.  Ratios use CPU time (user +
# system) of the whole processes, wall time beside; the target holds for both.  Peak memory:
# /usr/bin/time -v of one slimming.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool
bench_independent
work=$scratch/slim
rm -rf "$work"
mkdir -p "$work/src" "$work/out" "$scratch/results"
for s in p i; do
  for e in dbf dbt mdx; do cp "$scratch/$s$pages.$e" "$work/src/$s.$e"; done
  # Every tenth page deleted, then the index rebuilt (as deleting them one by one leaves it).
  $py - "$work/src/$s.dbf" <<'PYEOF'
import sys
p = sys.argv[1]
d = bytearray(open(p, "rb").read())
hl, rl, n = d[8] | d[9] << 8, d[10] | d[11] << 8, int.from_bytes(d[4:8], "little")
for r in range(1, n + 1):
    if r % 10 == 7:
        d[hl + (r - 1) * rl] = 0x2A
open(p, "wb").write(d)
PYEOF
  "$tool" reindex "$work/src/$s.dbf" 2> /dev/null
done

echo "slim, cp+sync ($rounds rounds)..."
$py - "$tool" "$work" "$rounds" "$root/bench" <<'PYEOF'
import os, shutil, sys

tool, work, rounds, bench_dir = sys.argv[1:5]
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table, durable_copy, warm

src, out = os.path.join(work, "src"), os.path.join(work, "out")


def slim(s):
    def before(n):
        for e in ("dbf", "dbt", "mdx"):
            shutil.copyfile(os.path.join(src, "%s.%s" % (s, e)), os.path.join(out, "w%s.%s" % (n, e)))
        os.sync()
        warm(os.path.join(out, "w%s.%s" % (n, e)) for e in ("dbf", "dbt", "mdx"))
    files = [os.path.join(out, "w{n}." + e) for e in ("dbf", "dbt", "mdx")]
    return ([tool, "slim", files[0]], {"sync": True, "before": before, "fresh": files})


def cp_sync(s):
    copies = [os.path.join(out, "c{n}." + e) for e in ("dbf", "dbt", "mdx")]
    sources = [os.path.join(src, "%s.%s" % (s, e)) for e in ("dbf", "dbt", "mdx")]
    return (durable_copy(sources, copies), {"sync": True, "fresh": copies,
                                   "before": lambda n: warm(os.path.join(src, "%s.%s" % (s, e))
                                                            for e in ("dbf", "dbt", "mdx"))})


r = Rounds({"slim": slim("p"), "cp+sync": cp_sync("p"),
            "slim (indep.)": slim("i"), "cp+sync (indep.)": cp_sync("i")}, int(rounds))
t = Table()
t.ratio(r, "slim vs durable copy", "<= 1.5x", "slim", "cp+sync", lambda x: x <= 1.5, wall_ok=True)
t.ratio(r, "  the same, independent file", "<= 1.5x", "slim (indep.)", "cp+sync (indep.)",
        lambda x: x <= 1.5, wall_ok=True)
print()
print("medians of %s rounds; runs per round: %s" % (rounds, r.runs()))
for name in r.got:
    print("  %-20s %.3f s CPU  %.3f s wall" % (name, r.med(name), r.med(name, 1)))
print()
t.print()
PYEOF
for e in dbf dbt mdx; do cp "$work/src/p.$e" "$work/out/m.$e"; done
/usr/bin/time -v "$tool" slim "$work/out/m.dbf" > /dev/null 2> "$scratch/results/slim_mem.txt"
"$tool" check "$work/out/m.dbf"
echo "slim peak memory (max RSS): $(awk '/Maximum resident/ {printf "%.1f MB", $6 / 1024}' "$scratch/results/slim_mem.txt")"
