#!/bin/sh
# Runs the page browsing benchmarks and prints a summary against the targets.
#   bench/run_browse_bench.sh [BUILD_DIR]
# BUILD_DIR (default build-bench) is configured (gcc, RelWithDebInfo, -DSORAKUMO_BENCH=ON) when
# missing.  The page files p10000 and p1000000 in SORAKUMO_BENCH_DIR (default
# /tmp/sorakumo_bench) are reused, or generated as run_store_bench.sh does.  GREP_RUNS (default
# 10) is how often grep runs for its best time; BENCH_FILTER (a regular expression, default all)
# picks the benchmarks, and the summary shows the rows whose benchmarks ran.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
scratch=${SORAKUMO_BENCH_DIR:-/tmp/sorakumo_bench}
grep_runs=${GREP_RUNS:-10}
filter=${BENCH_FILTER:-.}
py=/usr/bin/python3

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORAKUMO_TESTS=OFF \
    -DSORAKUMO_BENCH=ON
fi
cmake --build "$build" -j2 --target sorakumo-tool browse_bench
tool=$build/sorakumo-tool
bench=$build/bench/browse_bench
mkdir -p "$scratch"
out=$scratch/results
mkdir -p "$out"

for n in 10000 1000000; do
  f=$scratch/p$n.dbf
  if [ ! -f "$f" ] || [ ! -f "$scratch/p$n.dbt" ] || [ ! -f "$scratch/p$n.mdx" ]; then
    echo "generating $n pages..."
    "$tool" generate "$f" --pages $n --seed 1
  fi
done

echo "writing the titles of p1000000 and p10000..."
"$bench" --write-titles "$scratch/p1000000.dbf" "$out/titles_1000000.txt"
"$bench" --write-titles "$scratch/p10000.dbf" "$out/titles_10000.txt"

echo "warming the page cache..."
cat "$scratch"/p10000.* "$scratch"/p1000000.* "$out"/titles_*.txt > /dev/null

echo "grep -c -F (best of $grep_runs)..."
# CPU time (user + system) of each grep from wait4, finer than /usr/bin/time's hundredths.
$py - "$out" "$grep_runs" <<'PYEOF'
import os, subprocess, sys, time
out, runs = sys.argv[1], int(sys.argv[2])
with open(out + "/grep.txt", "w") as res:
    for n in ("10000", "1000000"):
        titles = out + "/titles_%s.txt" % n
        needle = open(titles + ".needle", "rb").read()
        best_cpu = best_wall = None
        for _ in range(runs):
            t = time.perf_counter()
            p = subprocess.Popen(["grep", "-c", "-F", needle, titles], env={"LC_ALL": "C"},
                                 stdout=subprocess.PIPE)
            count = int(p.stdout.read())
            _, status, ru = os.wait4(p.pid, 0)
            wall = time.perf_counter() - t
            cpu = ru.ru_utime + ru.ru_stime
            best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
            best_wall = wall if best_wall is None else min(best_wall, wall)
        res.write("%s %d %.6f %.6f\n" % (n, count, best_cpu, best_wall))
PYEOF

echo "browse_bench..."
# Repetitions of different benchmarks take turns, so that the load of the machine falls on all.
SORAKUMO_BENCH_DIR=$scratch "$bench" --benchmark_out="$out/browse_bench.json" \
  --benchmark_out_format=json --benchmark_filter="$filter" \
  --benchmark_enable_random_interleaving=true

$py - "$out" <<'PYEOF'
import json, sys
out = sys.argv[1]
bench = {b["name"]: b for b in json.load(open(out + "/browse_bench.json"))["benchmarks"]}
grep = {}
for line in open(out + "/grep.txt"):
    n, count, cpu, wall = line.split()
    grep[n] = (int(count), float(cpu), float(wall))
def sec(name, kind="cpu_time"):
    b = bench[name]
    if b.get("error_occurred"):
        sys.exit("%s: %s" % (name, b.get("error_message")))
    return b[kind] * {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
rows = []
def row(what, value, target, ok):
    rows.append((what, value, target, "" if ok is None else ("PASS" if ok else "FAIL")))
# Ratios use CPU time of the process doing the work; wall-time ratios are shown beside.  A row
# whose benchmarks did not run (BENCH_FILTER) is left out.
def each(items, fn):
    for item in items:
        try:
            fn(*item)
        except KeyError:
            pass
def select_and_step(kind, match, n):
    suffix = "/iterations:1/repeats:5_median" if kind == "" else "/repeats:5_median"
    t, p = ("%sSelectAndStep/%s/%s/%s%s" % (kind, match, o, n, suffix)
            for o in ("title", "number"))
    a, b = sec(t), sec(p)
    at, bt = sec(t, "real_time"), sec(p, "real_time")
    row("%sselection (%s) and Next through it, %s pages: title vs page-number order" % (
        "table: " if kind else "window: ", match, n),
        "%.0f ms / %.0f ms = %.2fx (wall %.0f / %.0f ms = %.2fx); %d pages" % (
            a * 1e3, b * 1e3, a / b, at * 1e3, bt * 1e3, at / bt, bench[t]["pages"]),
        "" if kind else "<= 2x", None if kind else a / b <= 2)
def apply(n, target):
    name = "WindowApplySelection/" + n
    a, g = sec(name), grep[n][1]
    aw, gw = sec(name, "real_time"), grep[n][2]
    row("apply selection, reach its first page (window), %s pages, vs grep -c -F" % n,
        "%.2f ms / %.1f ms = %.2fx (wall %.2fx); lands on page %d" % (
            a * 1e3, g * 1e3, a / g, aw / gw, bench[name]["landed"]),
        "<= %dx" % target if target else "", (a / g <= target) if target else None)
def full_pass(n):
    name = "SelectionFullPass/" + n
    a, g = sec(name), grep[n][1]
    aw, gw = sec(name, "real_time"), grep[n][2]
    row("whole selection walked once, %s pages, vs grep -c -F" % n,
        "%.1f ms / %.1f ms = %.2fx (wall %.2fx); %d vs %d pages" % (
            a * 1e3, g * 1e3, a / g, aw / gw, bench[name]["pages"], grep[n][0]),
        "", None)
def window(act):
    big, small = "Window%s/1000000" % act, "Window%s/10000" % act
    a, b = sec(big), sec(small)
    moved = min(bench[big]["moved"], bench[small]["moved"])
    row("window %s, 1M vs 10k" % act,
        "%.0f us / %.0f us = %.2fx (wall %.2fx)%s" % (
            a * 1e6, b * 1e6, a / b, sec(big, "real_time") / sec(small, "real_time"),
            "" if moved else "; the command did nothing"),
        "<= 2x", a / b <= 2 and moved > 0)
each([(k, m, n) for k in ("", "Table") for m in ("none", "tenth") for n in ("1000000", "10000")],
     select_and_step)
each([("1000000", 3), ("10000", None)], apply)
each([("1000000",), ("10000",)], full_pass)
each([(a,) for a in ("First", "Last", "Next", "Prior", "OrderSwitch")], window)
if not rows:
    sys.exit("no figures")
w = max(len(r[0]) for r in rows)
v = max(len(r[1]) for r in rows)
print()
print("%-*s  %-*s  %-8s  %s" % (w, "measure", v, "figure", "target", "result"))
for r in rows:
    print("%-*s  %-*s  %-8s  %s" % (w, r[0], v, r[1], r[2], r[3]))
PYEOF
