#!/bin/sh
# Runs the page-file engine benchmarks and prints a summary against the targets.
#   bench/run_store_bench.sh [BUILD_DIR]
# BUILD_DIR (default build-bench) is configured (gcc, RelWithDebInfo, -DSORAKUMO_BENCH=ON) when
# missing.  Page files of 10,000, 100,000 and 1,000,000 pages are made in SORAKUMO_BENCH_DIR
# (default /tmp/sorakumo_bench) and reused on later runs.  MEMO_PAGES (default 1000000) picks the
# file of the memo-reading comparison.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
scratch=${SORAKUMO_BENCH_DIR:-/tmp/sorakumo_bench}
memo_pages=${MEMO_PAGES:-1000000}
py=/usr/bin/python3

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORAKUMO_TESTS=OFF \
    -DSORAKUMO_BENCH=ON
fi
cmake --build "$build" -j2 --target sorakumo-tool store_bench bench_step
tool=$build/sorakumo-tool
mkdir -p "$scratch"
out=$scratch/results
mkdir -p "$out"

for n in 10000 100000 1000000; do
  f=$scratch/p$n.dbf
  if [ ! -f "$f" ] || [ ! -f "$scratch/p$n.dbt" ] || [ ! -f "$scratch/p$n.mdx" ]; then
    echo "generating $n pages..."
    /usr/bin/time -f "%e %M" -o "$out/generate_$n.txt" "$tool" generate "$f" --pages $n --seed 1
  fi
done

echo "warming the page cache..."
cat "$scratch"/p*.dbf "$scratch"/p*.dbt "$scratch"/p*.mdx > /dev/null

echo "store_bench..."
SORAKUMO_BENCH_DIR=$scratch "$build/bench/store_bench" --benchmark_out="$out/store_bench.json" \
  --benchmark_out_format=json

echo "cat p$memo_pages.dbt (best of 3)..."
dbt=$scratch/p$memo_pages.dbt
: > "$out/cat.txt"
for i in 1 2 3; do
  /usr/bin/time -f "%e %U %S" -a -o "$out/cat.txt" cat "$dbt" > /dev/null
done

echo "dbfread on p$memo_pages.dbf..."
$py "$root/bench/dbfread_bench.py" "$scratch/p$memo_pages.dbf" > "$out/dbfread.txt"

echo "bench_step on p1000000.dbf..."
/usr/bin/time -v "$build/bench/bench_step" "$scratch/p1000000.dbf" > "$out/step.txt" 2> "$out/step_time.txt"

$py - "$out" "$memo_pages" "$(stat -c %s "$dbt")" <<'PYEOF'
import json, re, sys
out, memo_pages, dbt_size = sys.argv[1], sys.argv[2], int(sys.argv[3])
bench = {}
for b in json.load(open(out + "/store_bench.json"))["benchmarks"]:
    name = "/".join(b["name"].split("/")[:2])
    bench[name] = b
# Ratios use CPU time (user + system) of the one thread doing the work, so that other load on a
# shared machine does not skew them; wall times are shown beside.
def sec(name, kind="cpu_time"):
    b = bench[name]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    return b[kind] * scale
rows = []
def row(what, value, target, ok):
    rows.append((what, value, target, "PASS" if ok else "FAIL"))
a, b = sec("OpenFirstTitle/1000000"), sec("OpenFirstTitle/10000")
row("open+T+First+TITLE 1M vs 10k",
    "%.1f us / %.1f us = %.2fx (wall %.2fx)" % (a * 1e6, b * 1e6, a / b,
        sec("OpenFirstTitle/1000000", "real_time") / sec("OpenFirstTitle/10000", "real_time")),
    "<= 2x", a / b <= 2)
for n in ("10000", "100000", "1000000"):
    t, p = sec("StepTitle/" + n), sec("StepPhysical/" + n)
    row("step tag T vs physical, %s pages" % n,
        "%.1f ms / %.1f ms = %.2fx (wall %.2fx)" % (t * 1e3, p * 1e3, t / p,
            sec("StepTitle/" + n, "real_time") / sec("StepPhysical/" + n, "real_time")),
        "<= 3x", t / p <= 3)
memo = bench["ReadText/" + memo_pages]
memo_bytes = memo["memo_bytes"]
eng_s, eng_wall = sec("ReadText/" + memo_pages), sec("ReadText/" + memo_pages, "real_time")
eng = memo_bytes / eng_s / 1e6
cats = [[float(x) for x in l.split()] for l in open(out + "/cat.txt") if l.strip()]
cat_cpu = min(c[1] + c[2] for c in cats)
cat = dbt_size / cat_cpu / 1e6
row("TEXT memos vs cat .dbt, %s pages" % memo_pages,
    "%.0f MB/s / %.0f MB/s = %.2fx (wall %.0f / %.0f MB/s)" % (
        eng, cat, eng / cat, memo_bytes / eng_wall / 1e6, dbt_size / min(c[0] for c in cats) / 1e6),
    ">= 0.5x", eng / cat >= 0.5)
dbfread = {}
for line in open(out + "/dbfread.txt"):
    mode, wall, cpu, _ = line.split()
    dbfread[mode] = (float(wall), float(cpu))
best = min(v[1] for v in dbfread.values())
for mode in ("raw", "decoded"):
    w_, c_ = dbfread[mode]
    row("TEXT memos vs dbfread (%s), %s pages" % (mode, memo_pages),
        "%.2f s / %.2f s = %.1fx faster (wall %.1fx)" % (eng_s, c_, c_ / eng_s, w_ / eng_wall),
        ">= 5x" if c_ == best else "", c_ / eng_s >= 5)
rss = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", open(out + "/step_time.txt").read()).group(1))
row("bench_step 1M max RSS", "%.1f MB" % (rss / 1024), "< 150 MB", rss / 1024 < 150)
w = max(len(r[0]) for r in rows)
v = max(len(r[1]) for r in rows)
print()
print("%-*s  %-*s  %-8s  %s" % (w, "measure", v, "figure", "target", "result"))
for r in rows:
    print("%-*s  %-*s  %-8s  %s" % (w, r[0], v, r[1], r[2], r[3] if r[2] else ""))
PYEOF
