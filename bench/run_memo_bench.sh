#!/bin/sh
# Memo reading and `dump` against their targets, on one generated page file:
#   1. every TEXT memo read in title order (tag T) against page order: engine (store_bench) and
#      `sorakumo-tool dump --order T` against `dump`;
#   2. every TEXT memo read by the engine against `cat N.dbt > /dev/null`;
#   3. `sorakumo-tool dump` (TSV) against python3-dbfread reading the same pages with raw memo
#      bytes (other fields decoded), and with every text field raw.
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
cat "$scratch/p$pages.dbf" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" > /dev/null

echo "store_bench ReadText, ReadTextTitle ($rounds repetitions)..."
SORAKUMO_BENCH_DIR=$scratch "$build/bench/store_bench" \
  --benchmark_filter="^ReadText(Title)?/$pages/" --benchmark_repetitions="$rounds" \
  --benchmark_out="$scratch/results/memo_bench.json" --benchmark_out_format=json > /dev/null

echo "dump, dump --order T, cat, dbfread ($rounds rounds)..."
$py - "$tool" "$f" "$scratch/p$pages.dbt" "$rounds" "$root/bench/dbfread_bench.py" \
  "$scratch/results/memo_bench.json" "$root/bench" <<'PYEOF'
import json, os, subprocess, sys

tool, dbf, dbt, rounds, dbfread, bench_json, bench_dir = sys.argv[1:8]
rounds = int(rounds)
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table

runs = Rounds({"dump": ([tool, "dump", dbf], {}), "dump T": ([tool, "dump", dbf, "--order", "T"], {}),
            "cat": (["cat", dbt], {})}, rounds)
# dbfread times its own reading loop (process_time, no start-up), one pass a round.
for _ in range(rounds):
    for mode in ("raw", "rawmemo"):
        out = subprocess.run([sys.executable, dbfread, dbf, "1", mode], capture_output=True,
                             text=True, check=True).stdout.split()
        runs.add("dbfread " + mode, float(out[2]), float(out[1]))
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
t, p = med("dump T"), med("dump")
row("dump --order T vs dump", "<= 1.5x", "%.3f s / %.3f s = %.2fx" % (t, p, t / p),
    "%.2fx" % (med("dump T", 1) / med("dump", 1)), t / p <= 1.5)
e = memo_bytes / eng("ReadText") / 1e6
c = dbt_size / med("cat") / 1e6
row("memo reading vs cat .dbt", ">= 0.5x",
    "%.0f MB/s / %.0f MB/s = %.2fx" % (e, c, e / c),
    "%.0f / %.0f MB/s" % (memo_bytes / eng("ReadText", "real_time") / 1e6,
                          dbt_size / med("cat", 1) / 1e6), e / c >= 0.5)
for mode, what in (("rawmemo", "raw memo bytes"), ("raw", "all fields raw")):
    d, r = med("dump"), med("dbfread " + mode)
    row("dump vs dbfread (%s)" % what, ">= 2x", "%.3f s vs %.3f s = %.2fx faster" % (d, r, r / d),
        "%.2fx" % (med("dbfread " + mode, 1) / med("dump", 1)), r / d >= 2)

print()
print("%d pages; medians of %d rounds; runs per round: %s; memo bytes %.0f MB, .dbt %.0f MB" % (
    int(os.path.basename(dbf)[1:-4]), rounds, runs.runs(), memo_bytes / 1e6, dbt_size / 1e6))
table.print()
PYEOF
