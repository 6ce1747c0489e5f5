#!/usr/bin/env bash
# Builds and runs the text area benchmark: a 30,000-byte page shown, and one keystroke in it, with
# highlighting and itemize mode on against both off (five repetitions, medians).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORAKUMO_BENCH=ON -DSORAKUMO_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target editor_bench
"$BUILD/bench/editor_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=1
