#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time, starting from the
# committed seeds in fuzz/corpus/<target>/ (real inputs: scripts/fuzz-corpus.sh makes them) and
# keeping what it finds in fuzz-corpus/<target>/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-45}"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVEK_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++ -DMORVEK_WERROR=OFF >/dev/null
# Only the fuzz targets (and the libraries they link), not the program and its tests.
cmake --build build-fuzz -j "$(nproc)" --target $(cd fuzz && ls fuzz_*.cpp | sed "s/\.cpp$//")
mkdir -p fuzz-corpus
for target in build-fuzz/fuzz/fuzz_*; do
    [[ -f "$target" && -x "$target" ]] || continue
    name=$(basename "$target")
    mkdir -p "fuzz-corpus/$name"
    echo "-- $name for ${seconds}s"
    ASAN_OPTIONS=detect_leaks=1 "$target" -max_total_time="$seconds" -max_len=4096 \
        -print_final_stats=0 "fuzz-corpus/$name" $(ls -d "fuzz/corpus/$name" 2>/dev/null) 2>&1 |
        tail -n 3
    [[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "fuzz target $name failed"; exit 1; }
done
