#!/bin/sh
# The text search against its targets, on one generated page file, a search for strings that
# occur on no page (every page scanned), with the files in the page cache:
#   1. `sorakumo-tool search` as a whole process against `LC_ALL=C grep -c -F` over a flat file of
#      the same page texts (same bytes, a newline between pages);
#   2. against the `sqlite3` command running SELECT count(*) ... LIKE '%...%' over a SQLite copy of
#      the pages (texts as UTF-8);
#   3. without match case against with it;
#   4. search_bench: DoFind over the page texts held in memory (Google Benchmark).
#
#   bench/run_search_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 100000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), made when
# missing, with pPAGES.flat and pPAGES.sqlite beside it; ROUNDS (default 5) is the number of
# rounds.  Each round times every command side by side; a command is run often enough in a round
# that its CPU time there is at least one second, so the clock's resolution stays under 2 %.  Each
# figure is the median of the rounds; ratios use CPU time (user + system), wall time beside.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
if ! command -v sqlite3 > /dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y sqlite3 || { $sudo apt-get update && $sudo apt-get install -y sqlite3; }
fi
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool search_bench
if [ "$bench_fresh" = yes ]; then rm -f "$scratch/p$pages.flat" "$scratch/p$pages.sqlite"; fi
flat=$scratch/p$pages.flat
db=$scratch/p$pages.sqlite
if [ ! -f "$flat" ] || [ "$flat" -ot "$f" ]; then
  SORAKUMO_BENCH_DIR=$scratch SEARCH_PAGES=$pages "$build/bench/search_bench" --write-pages "$flat"
  rm -f "$db"
fi
if [ ! -f "$db" ]; then
  echo "building the SQLite copy..."
  $py - "$flat" "$db" <<'PYEOF'
import sqlite3, sys
flat, db = sys.argv[1:3]
data = open(flat, "rb").read()
con = sqlite3.connect(db)
con.execute("CREATE TABLE pages (page INTEGER PRIMARY KEY, text TEXT)")
rows, pos = [], 0
for n, line in enumerate(open(flat + ".lengths"), 1):
    size = int(line)
    rows.append((n, data[pos:pos + size].decode("cp932", errors="replace")))
    pos += size + 1
con.executemany("INSERT INTO pages VALUES (?, ?)", rows)
con.commit()
con.close()
PYEOF
fi
cat "$f" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" "$flat" "$db" > /dev/null

echo "search_bench ($rounds repetitions)..."
SORAKUMO_BENCH_DIR=$scratch SEARCH_PAGES=$pages "$build/bench/search_bench" \
  --benchmark_repetitions="$rounds" --benchmark_report_aggregates_only=true \
  --benchmark_out="$scratch/results/search_bench.json" --benchmark_out_format=json > /dev/null

echo "search, grep, sqlite3 ($rounds rounds)..."
$py - "$tool" "$f" "$flat" "$db" "$rounds" "$scratch/results/search_bench.json" "$root/bench" \
  <<'PYEOF'
import json, os, subprocess, sys

tool, dbf, flat, db, rounds, bench_json, bench_dir = sys.argv[1:8]
rounds = int(rounds)
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table

ascii_word, japanese_word = "Solaris", "北海道"


def check_nothing_found(cmd, env=None):
    out = subprocess.run(cmd, capture_output=True, env=env).stdout.strip()
    if out not in (b"", b"0"):
        sys.exit("the string is found: %s -> %r" % (" ".join(cmd), out[:80]))


# search and grep exit 1 when nothing is found, which is what is asked of them here.
found_nothing = {"ok": (0, 1)}
grep_env = {"ok": (0, 1), "env": dict(os.environ, LC_ALL="C")}
cmds = {
    "search": ([tool, "search", dbf, ascii_word], found_nothing),
    "search --match-case": ([tool, "search", dbf, ascii_word, "--match-case"], found_nothing),
    "search (Japanese)": ([tool, "search", dbf, japanese_word], found_nothing),
    "search --match-case (Japanese)": ([tool, "search", dbf, japanese_word, "--match-case"],
                                       found_nothing),
    "grep -c -F": (["grep", "-c", "-F", ascii_word, flat], grep_env),
    "grep -c -F (Japanese)": (["grep", "-c", "-F", japanese_word.encode("cp932"), flat], grep_env),
    "sqlite3 LIKE": (["sqlite3", db,
                      "SELECT count(*) FROM pages WHERE text LIKE '%%%s%%'" % ascii_word], {}),
    "sqlite3 LIKE (Japanese)": (["sqlite3", db, "SELECT count(*) FROM pages WHERE text LIKE '%%%s%%'"
                                 % japanese_word], {}),
}
for cmd, kw in cmds.values():
    check_nothing_found(cmd, kw.get("env"))
r = Rounds(cmds, rounds)

t = Table()
t.ratio(r, "search vs grep -c -F (ASCII, match case)", "<= 3x", "search --match-case",
        "grep -c -F", lambda x: x <= 3)
t.ratio(r, "search vs grep -c -F (ASCII, any case)", "", "search", "grep -c -F")
t.ratio(r, "search vs grep -c -F (Japanese)", "<= 3x", "search --match-case (Japanese)",
        "grep -c -F (Japanese)", lambda x: x <= 3)
t.ratio(r, "search vs sqlite3 LIKE (ASCII, any case)", ">= 3x faster", "search", "sqlite3 LIKE",
        lambda x: x >= 3, faster=True)
t.ratio(r, "search vs sqlite3 LIKE (Japanese)", ">= 3x faster", "search (Japanese)",
        "sqlite3 LIKE (Japanese)", lambda x: x >= 3, faster=True)
t.ratio(r, "search any case vs match case (ASCII)", "<= 1.5x", "search", "search --match-case",
        lambda x: x <= 1.5)
t.ratio(r, "search any case vs match case (Japanese)", "<= 1.5x", "search (Japanese)",
        "search --match-case (Japanese)", lambda x: x <= 1.5)

bench = {}
for b in json.load(open(bench_json))["benchmarks"]:
    # One repetition gives the run itself, more give their median.
    if b.get("aggregate_name") == "median" or (rounds == 1 and b.get("run_type") == "iteration"):
        bench[b["run_name"]] = b
for a, b in (("Scan/AsciiFoldCase", "Scan/AsciiMatchCase"),
             ("Scan/JapaneseFoldCase", "Scan/JapaneseMatchCase")):
    ta, tb = bench[a]["cpu_time"], bench[b]["cpu_time"]
    t.add("DoFind in memory, %s vs %s" % (a.split("/")[1], b.split("/")[1]), "<= 1.5x",
          "%.1f ms / %.1f ms = %.2fx" % (ta, tb, ta / tb),
          "%.2fx" % (bench[a]["real_time"] / bench[b]["real_time"]), ta / tb <= 1.5)

print()
print("%s: %d pages, %.0f MB of text; medians of %d rounds; runs per round: %s" % (
    os.path.basename(dbf), sum(1 for _ in open(flat + ".lengths")),
    (os.path.getsize(flat)) / 1e6, rounds, r.runs()))
for name in cmds:
    print("  %-32s %.3f s CPU  %.3f s wall" % (name, r.med(name), r.med(name, 1)))
print("  DoFind over the texts in memory (CPU, median):")
for name, b in sorted(bench.items()):
    gbs = b.get("bytes_per_second", 0) / 1e9
    print("    %-28s %7.1f %s  %s" % (name, b["cpu_time"], b["time_unit"],
                                      "%.2f GB/s" % gbs if gbs else ""))
print()
t.print()
PYEOF
