#!/bin/sh
# Printing, measured two ways:
#   1. print_layout_bench: the layout of 10,000 pages of about 2,000 bytes of Japanese text with
#      Qt's font metrics, the measure cache on against off (target: 3x or more faster with it);
#   2. `sorakumo-tool print` of 1,000 generated pages to PDF against `sorakumo-tool export html`
#      of the same pages, whole processes side by side (target: print at most 10x the export).
#
#   bench/run_print_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 1000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), made by
# `sorakumo-tool generate --seed 1` when missing; ROUNDS (default 5) is the number of rounds and of
# repetitions of the layout benchmark.  Both commands run with the default settings (an empty
# settings folder: A4 portrait, horizontal writing, bag binding, no pictures; the HTML export's
# picture lookup finds none of the generated names).  Every run writes a new file name (removed
# after it, untimed), synced before the next run.  Figures are medians; ratios use CPU time
# (user + system), wall time beside.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
PAGES=${PAGES:-1000}
export PAGES
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool print_layout_bench
out=$scratch/print_out
rm -rf "$out"
mkdir -p "$out/conf"
cat "$f" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" > /dev/null

echo "print layout, measure cache on and off ($rounds repetitions)..."
"$build/bench/print_layout_bench" --benchmark_repetitions="$rounds" \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$scratch/results/print_layout.json" --benchmark_out_format=json

echo
echo "print to PDF, export html ($rounds rounds)..."
SORAKUMO_CONFIG_DIR=$out/conf $py - "$tool" "$f" "$out" "$rounds" "$root/bench" \
  "$scratch/results/print_layout.json" <<'PYEOF'
import json, os, sys

tool, dbf, out, rounds, bench_dir, layout_json = sys.argv[1:7]
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table


def cmd(argv, name):
    path = os.path.join(out, name)
    return (argv + [path], {"sync": True, "fresh": [path]})


r = Rounds({
    "print to PDF": cmd([tool, "print", dbf], "p{n}.pdf"),
    "export html": cmd([tool, "export", "html", dbf], "p{n}.html"),
}, int(rounds))

t = Table()
with open(layout_json) as f:
    rows = {b["run_name"]: b for b in json.load(f)["benchmarks"] if b.get("aggregate_name") == "median"}
for direction in ("horizontal", "vertical"):
    cached = rows.get("Layout/%s_cached/iterations:1" % direction)
    uncached = rows.get("Layout/%s_uncached/iterations:1" % direction)
    if not cached or not uncached:
        continue
    a, b = cached["pages_per_second"], uncached["pages_per_second"]
    t.add("layout of 10,000 pages, %s: cache on vs off" % direction, ">= 3x faster",
          "%.0f vs %.0f pages/s = %.2fx faster" % (a, b, a / b),
          "%.2f s vs %.2f s" % (cached["real_time"], uncached["real_time"]), a / b >= 3)
t.ratio(r, "print to PDF vs export html", "<= 10x", "print to PDF", "export html",
        lambda x: x <= 10)

print()
print("%s: medians of %s rounds; runs per round: %s" % (os.path.basename(dbf), rounds, r.runs()))
for name in r.got:
    print("  %-14s %.3f s CPU  %.3f s wall" % (name, r.med(name), r.med(name, 1)))
print()
t.print()
PYEOF
