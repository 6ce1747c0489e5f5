#!/bin/sh
# Memo reading and `dump` against their targets, on one generated page file:
#   1. every TEXT memo read in title order (tag T) against page order: engine (store_bench) and
#      `sorakumo-tool dump --order T` against `dump`;
#   2. every TEXT memo read by the engine against `cat N.dbt > /dev/null`;
#   3. `sorakumo-tool dump` (TSV) against python3-dbfread reading the same pages with raw memo
#      bytes (other fields decoded), and with every text field raw (bench/dbfread_bench.py, timed
#      as a whole process like dump).
# Rows 1 (the tool's) and 3 on the generated file and on the copy another program wrote
# (bench_independent).
#
#   bench/run_memo_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 100000) picks the file pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench),
# made when missing; ROUNDS (default 5) is the number of rounds.  Each round times every command
# side by side; each figure is the median of the rounds.  A command is run often enough in a round
# that its CPU time there is at least one second, so that the clock's resolution stays under 2 %.
# Ratios use CPU time (user + system), wall time is printed beside.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool store_bench
bench_independent
cat "$scratch/p$pages.dbf" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" > /dev/null
cat "$g" "$scratch/i$pages.dbt" "$scratch/i$pages.mdx" > /dev/null

echo "store_bench ReadText, ReadTextTitle ($rounds repetitions)..."
SORAKUMO_BENCH_DIR=$scratch "$build/bench/store_bench" \
  --benchmark_filter="^ReadText(Title)?/$pages/" --benchmark_repetitions="$rounds" \
  --benchmark_out="$scratch/results/memo_bench.json" --benchmark_out_format=json > /dev/null

echo "dump, dump --order T, cat, dbfread ($rounds rounds)..."
$py - "$tool" "$f" "$scratch/p$pages.dbt" "$rounds" "$root/bench/dbfread_bench.py" \
  "$scratch/results/memo_bench.json" "$root/bench" "$g" <<'PYEOF'
import json, os, subprocess, sys

tool, dbf, dbt, rounds, dbfread, bench_json, bench_dir, idbf = sys.argv[1:9]
rounds = int(rounds)
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table

cmds = {"cat": (["cat", dbt], {})}
for tag, path in (("", dbf), (" (indep.)", idbf)):
    cmds["dump" + tag] = ([tool, "dump", path], {})
    cmds["dump T" + tag] = ([tool, "dump", path, "--order", "T"], {})
    for mode in ("rawmemo", "raw"):
        cmds["dbfread " + mode + tag] = ([sys.executable, dbfread, path, "1", mode], {})
runs = Rounds(cmds, rounds)
med = runs.med

bench = {}
for b in json.load(open(bench_json))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        bench[b["run_name"].split("/")[0]] = b
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def eng(name, kind="cpu_time"):
    b = bench[name]
    return b[kind] * scale[b["time_unit"]]


memo_bytes = bench["ReadText"]["memo_bytes"]
dbt_size = os.path.getsize(dbt)
table = Table()
row = table.add

t, p = eng("ReadTextTitle"), eng("ReadText")
row("memos in title order vs page order (engine)", "<= 1.5x",
    "%.0f ms / %.0f ms = %.2fx" % (t * 1e3, p * 1e3, t / p),
    "%.2fx" % (eng("ReadTextTitle", "real_time") / eng("ReadText", "real_time")), t / p <= 1.5)
table.ratio(runs, "dump --order T vs dump", "<= 1.5x", "dump T", "dump", lambda x: x <= 1.5)
table.ratio(runs, "  the same, independent file", "<= 1.5x", "dump T (indep.)", "dump (indep.)",
            lambda x: x <= 1.5)
e = memo_bytes / eng("ReadText") / 1e6
c = dbt_size / med("cat") / 1e6
row("memo reading vs cat .dbt", ">= 0.5x",
    "%.0f MB/s / %.0f MB/s = %.2fx" % (e, c, e / c),
    "%.0f / %.0f MB/s" % (memo_bytes / eng("ReadText", "real_time") / 1e6,
                          dbt_size / med("cat", 1) / 1e6), e / c >= 0.5)
for mode, what in (("rawmemo", "raw memo bytes"), ("raw", "all fields raw")):
    for tag, name in (("", ""), (" (indep.)", ", independent file")):
        table.ratio(runs, "dump vs dbfread (%s%s)" % (what, name), ">= 2x faster", "dump" + tag,
                    "dbfread " + mode + tag, lambda x: x >= 2, faster=True)

print()
print("%d pages; medians of %d rounds; runs per round: %s; memo bytes %.0f MB, .dbt %.0f MB" % (
    int(os.path.basename(dbf)[1:-4]), rounds, runs.runs(), memo_bytes / 1e6, dbt_size / 1e6))
table.print()
PYEOF
