#!/usr/bin/env bash
# Builds and runs the picture benchmarks: a 24-megapixel photo decoded for fit mode against whole
# (five repetitions, medians), then stepping through 1,000 pages of 12-megapixel photos.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORAKUMO_BENCH=ON -DSORAKUMO_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target picture_bench image_step_bench
"$BUILD/bench/picture_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
/usr/bin/time -v "$BUILD/bench/image_step_bench" 1000 2>&1 |
  grep -E "pages|decoded|Maximum resident|Elapsed"
