#!/usr/bin/env bash
# Installs the Debian packages Morvek needs, when they are missing.
#   scripts/setup.sh          building and running
#   scripts/setup.sh --bench  also Google Benchmark, for a build with MORVEK_BENCH=ON
#   scripts/setup.sh --test   also what the test suite uses (its build includes the benchmarks;
#                             fuzzing, PDF checks, packaging, desktop notifications on a private
#                             session bus, the live scoreboard in a headless browser)
#   --print                   (with any of the above) lists the packages instead, one a line
set -euo pipefail

# Debian's Qt packages leave out what their CMake configurations need: Qt Charts' needs Qt OpenGL
# (qt6-base-dev only recommends it) and Qt HTTP Server's needs Qt WebSockets (not even named).
build=(cmake ninja-build g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-httpserver-dev
       qt6-websockets-dev fonts-liberation)
bench=(libbenchmark-dev)
test=(clang libclang-rt-14-dev poppler-utils xvfb xauth imagemagick x11-utils lintian dpkg-dev file
      dbus-daemon dbus-bin dunst systemd curl chromium)

packages=("${build[@]}")
print=0
for arg in "$@"; do
    case "$arg" in
        --bench) packages+=("${bench[@]}") ;;
        --test) packages+=("${bench[@]}" "${test[@]}") ;;
        --print) print=1 ;;
        *) echo "usage: $0 [--bench | --test] [--print]" >&2; exit 2 ;;
    esac
done
if ((print)); then
    printf '%s\n' "${packages[@]}" | sort -u
    exit 0
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
