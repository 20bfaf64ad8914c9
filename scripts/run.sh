#!/usr/bin/env bash
# Builds Morvek and runs it on the built-in demo server: the window when a display is present,
# otherwise the headless monitor for a few polls. Extra arguments go to morvek.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target morvek morvek-headless morvek-sim
if [[ $# -gt 0 ]]; then
    exec build/morvek "$@"
elif [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec build/morvek --demo
else
    exec build/morvek-headless --demo --polls 5 --check 1
fi
