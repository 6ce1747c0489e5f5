#!/bin/sh
# Runs one fuzz target under AddressSanitizer for a time (default 600 s).
#   fuzz/run_fuzz.sh dbf|dbt|mdx [SECONDS] [BUILD_DIR]
# BUILD_DIR (default build-fuzz) is configured with clang when missing.  Seeds come from
# make_seeds.py; new inputs go to BUILD_DIR/corpus/NAME; crashing inputs to fuzz/crashes/.
set -eu
name=$1
secs=${2:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${3:-$root/build-fuzz}
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DSORAKUMO_FUZZ=ON \
    -DSORAKUMO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "${name}_fuzzer" sorakumo-tool
if [ ! -d "$build/seeds/$name" ]; then
  /usr/bin/python3 "$root/fuzz/make_seeds.py" "$build/sorakumo-tool" "$build/seeds"
fi
mkdir -p "$build/corpus/$name" "$root/fuzz/crashes"
exec "$build/fuzz/${name}_fuzzer" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$root/fuzz/crashes/${name}-" -print_final_stats=1 \
  "$build/corpus/$name" "$build/seeds/$name"
