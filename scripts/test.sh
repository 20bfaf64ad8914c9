#!/usr/bin/env bash
# The whole test suite from scratch: installs what is missing, builds with warnings as errors and
# runs every test, builds again with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test there, then runs each fuzz target for a bounded time.
# Between the two, the Debian packages are built with CPack, checked with lintian, installed with
# apt-get and run from /usr/bin.
#   FUZZ_SECONDS   seconds per fuzz target (default 45)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test
jobs=$(nproc)

echo "== Build (warnings as errors, with the benchmarks)"
rm -rf build-test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVEK_WERROR=ON \
      -DMORVEK_BENCH=ON
cmake --build build-test -j "$jobs"
echo "== Tests"
ctest --test-dir build-test -j "$jobs" --output-on-failure

echo "== Debian packages: build, install, run from the installed path"
(cd build-test && rm -f ./*.deb && cpack -G DEB >/dev/null)
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    ./build-test/morvek-headless_*.deb ./build-test/morvek_*.deb >/dev/null
lintian --fail-on error build-test/*.deb
/usr/bin/morvek-headless --demo --polls 2 >/dev/null

echo "== Build with AddressSanitizer and UndefinedBehaviorSanitizer"
rm -rf build-asan
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVEK_SANITIZE=ON -DMORVEK_BENCH=OFF
cmake --build build-asan -j "$jobs"
echo "== Tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j "$jobs" --output-on-failure

echo "== Fuzzing"
scripts/fuzz.sh "${FUZZ_SECONDS:-45}"

echo "== Tests again (the line CI reads)"
ctest --test-dir build-test -j "$jobs" --output-on-failure
