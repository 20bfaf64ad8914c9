#!/usr/bin/env bash
# Installs the Debian packages Morvek needs, when they are missing.
#   scripts/setup.sh          build and run
#   scripts/setup.sh --test   also what the test suite uses (fuzzing, PDF checks, desktop
#                             notifications on a private session bus)
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-httpserver-dev
          libbenchmark-dev fonts-liberation)
if [[ "${1:-}" == "--test" ]]; then
    packages+=(clang libclang-rt-14-dev poppler-utils xvfb xauth imagemagick x11-utils lintian
              dpkg-dev file dbus-daemon dbus-bin dunst)
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
