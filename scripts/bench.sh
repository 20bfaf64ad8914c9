#!/usr/bin/env bash
# Builds and runs every benchmark in an optimised build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVEK_BENCH=ON -DBUILD_TESTING=OFF \
      >/dev/null
cmake --build build-bench
for b in build-bench/bench/bench_*; do
    [[ -x "$b" ]] && "$b" --benchmark_counters_tabular=true
done
