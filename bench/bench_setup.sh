# The start the page-file benchmark scripts share (sourced, POSIX sh): the build folder configured
# when missing (as in run_store_bench.sh), the targets given as arguments built, and the generated
# page file pPAGES.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench) made when missing.
# Needs root and build; sets scratch, pages, rounds, py, tool, f, and bench_fresh (yes when the
# page file was made just now, so that files derived from it are made again).
bench_setup() {
  scratch=${SORAKUMO_BENCH_DIR:-/tmp/sorakumo_bench}
  pages=${PAGES:-100000}
  rounds=${ROUNDS:-5}
  py=/usr/bin/python3
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORAKUMO_TESTS=OFF \
      -DSORAKUMO_BENCH=ON
  fi
  cmake --build "$build" -j2 --target "$@"
  tool=$build/sorakumo-tool
  mkdir -p "$scratch/results"
  f=$scratch/p$pages.dbf
  bench_fresh=no
  if [ ! -f "$f" ] || [ ! -f "$scratch/p$pages.dbt" ] || [ ! -f "$scratch/p$pages.mdx" ]; then
    echo "generating $pages pages..."
    "$tool" generate "$f" --pages "$pages" --seed 1
    bench_fresh=yes
  fi
}

# The same pages written by another program (python3-dbf, a dBASE III table with its memo file;
# bench/independent_copy.py), indexed by `sorakumo-tool reindex`: iPAGES.dbf beside pPAGES.dbf,
# made when missing or when the page file was made again.  Sets g to its path.
bench_independent() {
  g=$scratch/i$pages.dbf
  if [ "$bench_fresh" = yes ] || [ ! -f "$g" ] || [ ! -f "$scratch/i$pages.dbt" ] ||
     [ ! -f "$scratch/i$pages.mdx" ]; then
    echo "writing the independent copy of $pages pages..."
    rm -f "$g" "$scratch/i$pages.dbt" "$scratch/i$pages.mdx"
    $py "$root/bench/independent_copy.py" "$f" "$g"
    "$tool" reindex "$g" 2> /dev/null
  fi
}
