#!/bin/sh
# Slimming a page file against copying its three files, side by side in each round:
#   cp        the three files copied with cp (no sync), N_CP times in a row
#   cp+sync   the same, then the copies synced to disk (`sync FILE...`)
#   slim      `sorakumo-tool slim` (which syncs its new files), on N_SLIM fresh copies, each
#             timed alone
# on pPAGES.dbf with every tenth page deleted (index rebuilt after the deletion).
#
#   bench/run_slim_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 100000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), made
# when missing; ROUNDS (default 5) rounds, each figure the median of the rounds.  Repetitions keep
# each timed figure well over a second, so the clock's 10 ms resolution stays under 2 %.  Ratios
# use CPU time (user + system); wall time is printed beside.  Peak memory: /usr/bin/time -v of
# one slimming.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
n_cp=${N_CP:-10}
n_slim=${N_SLIM:-3}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool
work=$scratch/slim
rm -rf "$work"
mkdir -p "$work/src" "$work/out" "$scratch/results"
cp "$f" "$work/src/s.dbf"
cp "$scratch/p$pages.dbt" "$work/src/s.dbt"
cp "$scratch/p$pages.mdx" "$work/src/s.mdx"
# Every tenth page deleted, then the index rebuilt (as deleting them one by one leaves it).
$py - "$work/src/s.dbf" <<'PYEOF'
import sys
p = sys.argv[1]
d = bytearray(open(p, "rb").read())
hl, rl, n = d[8] | d[9] << 8, d[10] | d[11] << 8, int.from_bytes(d[4:8], "little")
for r in range(1, n + 1):
    if r % 10 == 7:
        d[hl + (r - 1) * rl] = 0x2A
open(p, "wb").write(d)
PYEOF
"$tool" reindex "$work/src/s.dbf"
times=$scratch/results/slim_times.txt
: > "$times"
for round in $(seq "$rounds"); do
  echo "round $round..."
  rm -f "$work/out"/*
  for i in $(seq "$n_slim"); do
    for e in dbf dbt mdx; do cp "$work/src/s.$e" "$work/out/w$i.$e"; done
  done
  # Each phase starts with nothing left to write back from the one before.
  sync
  cat "$work/src"/s.* "$work/out"/* > /dev/null
  /usr/bin/time -f "cp %e %U %S" -a -o "$times" sh -c "
    for i in \$(seq $n_cp); do
      for e in dbf dbt mdx; do cp '$work/src/s.'\$e '$work/out/c.'\$e; done
    done"
  sync
  /usr/bin/time -f "cpsync %e %U %S" -a -o "$times" sh -c "
    for i in \$(seq $n_slim); do
      for e in dbf dbt mdx; do cp '$work/src/s.'\$e '$work/out/y.'\$e; done
      sync '$work/out/y.dbf' '$work/out/y.dbt' '$work/out/y.mdx'
    done"
  # One slimming per timing (each over half a second), each after a sync; the round's figure is
  # their sum.
  : > "$times.one"
  for i in $(seq "$n_slim"); do
    sync
    /usr/bin/time -f "%e %U %S" -a -o "$times.one" "$tool" slim "$work/out/w$i.dbf" > /dev/null
  done
  awk '{w += $1; u += $2; s += $3} END {printf "slim %.2f %.2f %.2f\n", w, u, s}' "$times.one" >> "$times"
done
for e in dbf dbt mdx; do cp "$work/src/s.$e" "$work/out/m.$e"; done
/usr/bin/time -v "$tool" slim "$work/out/m.dbf" > /dev/null 2> "$scratch/results/slim_mem.txt"
"$tool" check "$work/out/m.dbf"
ls -l "$work/src" "$work/out/m.dbf" "$work/out/m.dbt" "$work/out/m.mdx"
$py - "$times" "$n_cp" "$n_slim" "$scratch/results/slim_mem.txt" <<'PYEOF'
import re, statistics, sys
times, n_cp, n_slim, mem = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
rows = {}
for line in open(times):
    k, wall, user, sys_ = line.split()
    rows.setdefault(k, []).append((float(wall), float(user) + float(sys_)))
per = {"cp": n_cp, "cpsync": n_slim, "slim": n_slim}
def med(k, i):
    return statistics.median(r[i] for r in rows[k]) / per[k]
for k in ("cp", "cpsync", "slim"):
    print("%-8s wall %.3f s  cpu %.3f s  (per run, median of %d rounds)" % (k, med(k, 0), med(k, 1), len(rows[k])))
cpu = statistics.median(s[1] / n_slim / (c[1] / n_cp) for s, c in zip(rows["slim"], rows["cp"]))
wall = statistics.median(s[0] / n_slim / (c[0] / n_cp) for s, c in zip(rows["slim"], rows["cp"]))
cpu_s = statistics.median(s[1] / y[1] for s, y in zip(rows["slim"], rows["cpsync"]))
wall_s = statistics.median(s[0] / y[0] for s, y in zip(rows["slim"], rows["cpsync"]))
print("slim / cp:       cpu %.2fx, wall %.2fx   (target <= 3x)  %s" % (cpu, wall, "PASS" if cpu <= 3 else "FAIL"))
print("slim / cp+sync:  cpu %.2fx, wall %.2fx" % (cpu_s, wall_s))
rss = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", open(mem).read()).group(1))
print("slim peak memory (max RSS): %.1f MB" % (rss / 1024))
PYEOF
