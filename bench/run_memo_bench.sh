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
  "$scratch/results/memo_bench.json" <<'PYEOF'
import json, math, os, statistics, subprocess, sys, time

tool, dbf, dbt, rounds, dbfread, bench_json = sys.argv[1:7]
rounds = int(rounds)


def run_once(cmd):
    """CPU (user + system, from wait4) and wall seconds of one run, output discarded."""
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(cmd, stdout=null, stderr=null)
        _, status, ru = os.wait4(p.pid, 0)
        p.returncode = status
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return ru.ru_utime + ru.ru_stime, time.perf_counter() - start


def repeats_for(cmd):
    """Runs of cmd that make at least one second of CPU time."""
    cpu, _ = run_once(cmd)
    return max(1, math.ceil(1.0 / max(cpu, 1e-3)))


def sample(cmd, k):
    """Mean CPU and wall seconds per run over k runs."""
    cpu = wall = 0.0
    for _ in range(k):
        c, w = run_once(cmd)
        cpu += c
        wall += w
    return cpu / k, wall / k


dump = [tool, "dump", dbf]
dump_t = [tool, "dump", dbf, "--order", "T"]
cat = ["cat", dbt]
cmds = {"dump": dump, "dump T": dump_t, "cat": cat}
reps = {name: repeats_for(cmd) for name, cmd in cmds.items()}
got = {name: [] for name in list(cmds) + ["dbfread raw", "dbfread rawmemo"]}
for _ in range(rounds):
    for name, cmd in cmds.items():
        got[name].append(sample(cmd, reps[name]))
    # dbfread times its own reading loop (process_time, no start-up), one pass a round.
    for mode in ("raw", "rawmemo"):
        out = subprocess.run([sys.executable, dbfread, dbf, "1", mode], capture_output=True,
                             text=True, check=True).stdout.split()
        got["dbfread " + mode].append((float(out[2]), float(out[1])))


def med(name, i=0):
    return statistics.median(s[i] for s in got[name])


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
rows = []


def row(what, target, figure, wall, ok):
    rows.append((what, target, figure, wall, "PASS" if ok else "FAIL"))


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
    int(os.path.basename(dbf)[1:-4]), rounds,
    ", ".join("%s %d" % kv for kv in reps.items()), memo_bytes / 1e6, dbt_size / 1e6))
w = [max(len(r[i]) for r in rows + [("measure", "target", "figure (CPU)", "wall", "")])
     for i in range(4)]
print("%-*s  %-*s  %-*s  %-*s  %s" % (w[0], "measure", w[1], "target", w[2], "figure (CPU)",
                                       w[3], "wall", "result"))
for r in rows:
    print("%-*s  %-*s  %-*s  %-*s  %s" % (w[0], r[0], w[1], r[1], w[2], r[2], w[3], r[3], r[4]))
PYEOF
