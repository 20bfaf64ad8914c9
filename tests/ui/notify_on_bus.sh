#!/bin/sh
# A join raises one desktop notification. The window watches the simulator with "A player joins"
# on and a watch list; a real notification service (dunst) runs on a private session bus under
# Xvfb, and the call's summary and body are read from the bus with dbus-monitor.
# Usage: notify_on_bus.sh MORVEK MORVEK_SIM. Exit 77 (skipped) when the tools are missing.
set -eu
if [ -z "${MORVEK_PRIVATE_BUS:-}" ]; then
    for tool in xvfb-run dbus-run-session dbus-monitor dunst dunstctl; do
        command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
    done
    MORVEK_PRIVATE_BUS=1 exec xvfb-run -a dbus-run-session -- sh "$0" "$@"
fi
work=$(mktemp -d)
pids=""
# Cleanup stops the programs started here and waits until each is gone (SIGKILL after 10 s) before
# the folder goes; it cannot fail, and the test keeps its own status.
alive() { [ -e "/proc/$1" ] && ! grep -q ') Z' "/proc/$1/stat" 2>/dev/null; }
cleanup() {
    status=$? && set +e && kill $pids 2>/dev/null
    for pid in $pids; do
        n=0 && while alive "$pid" && [ $((n += 1)) -le 100 ]; do sleep 0.1; done
        kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    done
    cd / && rm -rf "$work" 2>/dev/null; exit $status
}
trap cleanup EXIT; trap 'exit 130' INT; trap 'exit 143' TERM
cd "$work"
export XDG_DATA_HOME="$work/data"
printf '[Software\\Varnoth\\Morvek]\nAlertJoin=True\nAlertWatchList=Alpha, [ra<n>&GER]\nCheckInterval=1\n' >Morvek.conf
"$2" -t 1 --players 2 --name Alpha --name '\x10Ra<n>&ger\x91' --join-after 2 --still >sim.out &
pids="$!"
dunst >dunst.log 2>&1 &
pids="$pids $!"
dbus-monitor --session "interface='org.freedesktop.Notifications'" >bus.log 2>&1 &
pids="$pids $!"
for _ in $(seq 150); do
    [ -s sim.out ] && dbus-send --session --print-reply --dest=org.freedesktop.Notifications \
        /org/freedesktop/Notifications org.freedesktop.Notifications.GetServerInformation \
        >/dev/null 2>&1 && break
    sleep 0.2
done
"$1" --settings Morvek.conf 1 127.0.0.1 "$(cut -d' ' -f2 sim.out)" >morvek.log 2>&1 &
pids="$pids $!"
# The call on the bus, and the service showing it.
for _ in $(seq 120); do
    grep -q 'member=Notify' bus.log && [ "$(dunstctl count displayed)" -ge 1 ] 2>/dev/null && break
    sleep 0.25
done
sleep 2  # two more ticks: nothing else to tell
expected='   string "Morvek"
   uint32 0
   string ""
   string "Player joined"
   string "[Ra&lt;n&gt;&amp;ger]"'
got=$(grep -A5 'member=Notify' bus.log | tail -n +2)
if [ "$got" != "$expected" ] || [ "$(dunstctl count displayed)" != 1 ]; then
    echo "expected one Notify call:"; echo "$expected"; echo "bus:"; cat bus.log morvek.log
    exit 1
fi
echo "one notification: Player joined / [Ra<n>&ger]"
