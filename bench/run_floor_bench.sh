#!/bin/sh
# The floors under two targets that stay above them, side by side in each round on pPAGES.dbf:
#   cat       the memo file read into a process and written out again (`cat N.dbt > copy`): what
#             any export pays before it converts a byte, against `cp` of the memo file, which
#             copies inside the kernel;
#   reindex   `sorakumo-tool reindex` of a fresh copy of the page file: the index that a slimming
#             must build anew, against the durable copy of the three files (cp, then sync of the
#             copies) that slimming is measured against.
#
#   bench/run_floor_bench.sh [BUILD_DIR]
#
# Same method and settings as run_export_bench.sh and run_slim_bench.sh: whole processes, CPU time
# (user + system) with wall beside, commands alternated, medians of ROUNDS (default 5) rounds,
# page cache warm, a new file name for every run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool
work=$scratch/floor
rm -rf "$work"
mkdir -p "$work"
cat "$f" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" > /dev/null
echo "cat, cp, reindex, cp+sync ($rounds rounds)..."
$py - "$tool" "$f" "$work" "$rounds" "$root/bench" <<'PYEOF'
import os, shutil, sys

tool, dbf, work, rounds, bench_dir = sys.argv[1:6]
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table, durable_copy, warm

base = dbf[:-4]
exts = ("dbf", "dbt", "mdx")


def reindex_before(n):
    for e in exts:
        shutil.copyfile("%s.%s" % (base, e), os.path.join(work, "r%s.%s" % (n, e)))
    os.sync()
    warm(os.path.join(work, "r%s.%s" % (n, e)) for e in exts)


copies = [os.path.join(work, "c{n}." + e) for e in exts]
dbt = base + ".dbt"
out = os.path.join(work, "o{n}.dbt")
r = Rounds({
    "cat memo file": (["sh", "-c", "cat %s > %s" % (dbt, out)], {"sync": True, "fresh": [out]}),
    "cp memo file": (["cp", dbt, out], {"sync": True, "fresh": [out]}),
    "reindex": ([tool, "reindex", os.path.join(work, "r{n}.dbf")],
                {"sync": True, "before": reindex_before,
                 "fresh": [os.path.join(work, "r{n}." + e) for e in exts]}),
    "cp+sync": (durable_copy(["%s.%s" % (base, e) for e in exts], copies),
                {"sync": True, "fresh": copies}),
}, int(rounds))
t = Table()
t.ratio(r, "floor of export text: cat vs cp of the memo file", "", "cat memo file", "cp memo file")
t.ratio(r, "floor of slim: reindex vs durable copy", "", "reindex", "cp+sync")
print()
print("medians of %s rounds; runs per round: %s" % (rounds, r.runs()))
for name in r.got:
    print("  %-16s %.3f s CPU  %.3f s wall" % (name, r.med(name), r.med(name, 1)))
print()
t.print()
PYEOF
