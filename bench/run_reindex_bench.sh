#!/bin/sh
# Building the whole index of a page file (`sorakumo-tool reindex`): peak resident memory and
# time, one tool against another in alternate runs (before and after a change).
#
#   bench/run_reindex_bench.sh [BUILD_DIR] [OTHER_TOOL]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing; its
# sorakumo-tool is timed, and OTHER_TOOL (an earlier build's sorakumo-tool) beside it when given.
# PAGES (default 1000000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench),
# made when missing; ROUNDS (default 5) runs of each, alternated.  Each line: wall, user and
# system seconds and the peak resident set (/usr/bin/time); the medians close the report.  The
# program keeps to 150 MB at a million pages.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
other=${2:-}
PAGES=${PAGES:-1000000}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool
out=$scratch/results/reindex_$pages.txt
: >"$out"
i=0
while [ "$i" -lt "$rounds" ]; do
  for t in "$tool" $other; do
    /usr/bin/time -f "$t %e %U %S %M" "$t" reindex "$f" 2>>"$out"
  done
  i=$((i + 1))
done
echo "tool wall user sys peak_KB"
cat "$out"
"$py" - "$out" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    t, wall, user, sys_, kb = line.split()
    rows.setdefault(t, []).append((float(wall), float(user) + float(sys_), int(kb)))
for t, r in rows.items():
    print(f"{t}: median wall {statistics.median(x[0] for x in r):.2f} s, "
          f"CPU {statistics.median(x[1] for x in r):.2f} s, "
          f"peak {max(x[2] for x in r) / 1024:.0f} MB")
PY
