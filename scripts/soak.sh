#!/usr/bin/env bash
# Soak run, by hand (not in CI): the headless monitor against the simulator, polling every 0.05 s,
# recording a log and publishing the sample page every 0.05 s. Every 30 s it prints the monitor's
# resident memory and checks the page on disk is whole; at the end it checks the log is made of
# whole records and reads back.
#   scripts/soak.sh [SECONDS] [TYPE]      (defaults: 600 s, QuakeWorld)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
type="${2:-1}"
work=$(mktemp -d)
sim_pid=""
mon_pid=""
cleanup() {
    [[ -n "$mon_pid" ]] && kill "$mon_pid" 2>/dev/null || true
    [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
touch "$work/sim.out"
build/morvek-sim --type "$type" >"$work/sim.out" &
sim_pid=$!
until grep -q '^port' "$work/sim.out"; do sleep 0.1; done
port=$(awk '/^port/ {print $2}' "$work/sim.out")
template="$PWD/resources/template/standard.htm"
last_line=$(tail -n 1 "$template" | tr -d '\r\n')
build/morvek-headless --settings "$work/soak.conf" --check 0.05 --timeout 5 \
    --record "$work/soak.mv" --html-template "$template" --html-output "$work/page.htm" \
    --html-refresh 0.05 "$type" 127.0.0.1 "$port" >/dev/null 2>"$work/stderr" &
mon_pid=$!
broken_pages=0
sleep 2  # the first page and the first record
for ((t = 0; ; t += 30)); do
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$mon_pid/status")
    log=$(stat -c %s "$work/soak.mv" 2>/dev/null || echo 0)
    page_end=$({ tail -c 200 "$work/page.htm" 2>/dev/null || true; } | tr -d '\r' | tail -n 1)
    [[ "$page_end" == "$last_line" ]] || broken_pages=$((broken_pages + 1))
    echo "t=${t}s rss=${rss}kB log=${log}B page_ends_whole=$([[ "$page_end" == "$last_line" ]] && echo yes || echo no)"
    ((t >= seconds)) && break
    sleep 30
done
kill -TERM "$mon_pid"
wait "$mon_pid" || true
mon_pid=""
size=$(stat -c %s "$work/soak.mv")
records=$(((size - 46) / 1683))
echo "log: ${size} bytes, ${records} records, $(((size - 46) % 1683)) bytes past the last whole record"
echo "log read back: $(build/morvek-headless --dump-log "$work/soak.mv" | wc -l) JSON lines (header + records)"
echo "pages not whole at a check: ${broken_pages}; stderr lines: $(wc -l <"$work/stderr")"
