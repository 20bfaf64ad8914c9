#!/bin/sh
# systemd accepts the packaged unit, its program pointed at the one just built, without a word of
# warning. 77: no systemd-analyze. Usage: service_unit.sh UNIT_FILE MORVEK_HEADLESS
command -v systemd-analyze >/dev/null || exit 77
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
sed "s|/usr/bin/morvek-headless|$2|" "$1" > "$dir/morvek-headless@ctf1.service" || exit 1
out=$(systemd-analyze verify "$dir/morvek-headless@ctf1.service" 2>&1) && [ -z "$out" ] && exit 0
echo "$out" && exit 1
