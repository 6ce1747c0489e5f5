#!/bin/sh
# The exports against their targets, with the files in the page cache:
#   1. `sorakumo-tool export text` against `cp` of the memo file (.dbt) into the same folder, on
#      the generated page file and on the copy another program wrote (bench_independent);
#   2. against a python3-dbfread script writing the same pages to text (the same lines: date,
#      category, title, subtitle, images, text, two empty lines; CP932);
#   3. `sorakumo-tool export html` against the text export.
#
#   bench/run_export_bench.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as in run_store_bench.sh when missing.  PAGES
# (default 100000) picks pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), made when
# missing; ROUNDS (default 5) is the number of rounds.  The exports run with the default settings
# (an empty settings folder).  Every run writes a new file name (removed after it, untimed), as
# a user's copy does.  Each round times every command side by side; a command is run often
# enough in a round that its CPU time there is at least one second, so the clock's resolution stays
# under 2 %.  Before each run the written files are synced, so that one command's writes are not
# put on the disk (and charged) during another's.  Each figure is the median of the rounds; ratios use CPU time (user + system), wall
# time beside.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
. "$root/bench/bench_setup.sh"
bench_setup sorakumo-tool
bench_independent
out=$scratch/export_out
rm -rf "$out"
mkdir -p "$out/conf"
cat "$f" "$scratch/p$pages.dbt" "$scratch/p$pages.mdx" "$g" "$scratch/i$pages.dbt" > /dev/null

echo "export text, export html, cp, dbfread ($rounds rounds)..."
SORAKUMO_CONFIG_DIR=$out/conf $py - "$tool" "$f" "$out" "$rounds" "$root/bench" "$g" <<'PYEOF'
import os, sys

tool, dbf, out, rounds, bench_dir, idbf = sys.argv[1:7]
sys.path.insert(0, bench_dir)
from side_by_side import Rounds, Table

dbt = dbf[:-4] + ".dbt"
idbt = idbf[:-4] + ".dbt"

DBFREAD = r'''
import sys
from dbfread import DBF
src, dst = sys.argv[1:3]
with open(dst, "wb") as o:
    for r in DBF(src, encoding="cp932", char_decode_errors="surrogateescape"):
        d = r["DATE"]
        lines = ["\u25cf%04d/%02d/%02d" % (d.year, d.month, d.day) if d else "",
                 "\u25cf\u5206\u985e = " + (r["BUNRUI"] or "").strip(),
                 "\u25cf\u30bf\u30a4\u30c8\u30eb = " + (r["TITLE"] or "").strip(),
                 "\u25cf\u30b5\u30d6\u30bf\u30a4\u30c8\u30eb = " + (r["SUBTITLE"] or "").strip(),
                 "\u25cf\u753b\u50cf\u30d5\u30a1\u30a4\u30eb = " + (r["IMAGEFILE"] or "").strip()]
        text = (r["TEXT"] or "").replace("\r\n", "\n").replace("\r", "\n")
        if text.endswith("\n"):
            text = text[:-1]
        body = "\n".join(lines) + "\n" + (text + "\n" if text else "") + "\n\n"
        o.write(body.encode("cp932", errors="surrogateescape"))
'''

# Each run starts with the writes of the one before on the disk, and writes a new file.
def fresh(name):
    path = os.path.join(out, name)
    return path, {"sync": True, "fresh": [path]}


def cmd(argv, name):
    path, kw = fresh(name)
    return (argv + [path], kw)


r = Rounds({
    "export text": cmd([tool, "export", "text", dbf], "p{n}.txt"),
    "cp memo file": cmd(["cp", dbt], "copy{n}.dbt"),
    "export text (indep.)": cmd([tool, "export", "text", idbf], "i{n}.txt"),
    "cp memo file (indep.)": cmd(["cp", idbt], "icopy{n}.dbt"),
    "export html": cmd([tool, "export", "html", dbf], "p{n}.html"),
    "dbfread to text": cmd([sys.executable, "-c", DBFREAD, dbf], "dbfread{n}.txt"),
}, int(rounds))

t = Table()
t.ratio(r, "export text vs cp of the memo file", "<= 2x", "export text", "cp memo file",
        lambda x: x <= 2)
t.ratio(r, "  the same, independent file", "<= 2x", "export text (indep.)",
        "cp memo file (indep.)", lambda x: x <= 2)
t.ratio(r, "export text vs dbfread to text", ">= 5x faster", "export text", "dbfread to text",
        lambda x: x >= 5, faster=True)
t.ratio(r, "export html vs export text", "<= 2x", "export html", "export text", lambda x: x <= 2)

sizes = {"memo": os.path.getsize(dbt) / 1e6, "memo (indep.)": os.path.getsize(idbt) / 1e6}
print()
print("%s: medians of %s rounds; runs per round: %s" % (os.path.basename(dbf), rounds, r.runs()))
print("  sizes (MB): " + ", ".join("%s %.0f" % kv for kv in sizes.items()))
for name in r.got:
    print("  %-20s %.3f s CPU  %.3f s wall" % (name, r.med(name), r.med(name, 1)))
print()
t.print()
PYEOF
