#!/usr/bin/env bash
# 一括選択 and 次へ on a 300-name book as a screen-reader user meets them:
# an X display, a session bus, the AT-SPI bus and a listener for every
# object and focus event, as a screen reader registers; then the same
# without accessibility. Target: both under 100 ms with accessibility on.
set -euo pipefail
bench=${1:-build/release/bench/bench_commands}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r number <"$work/display"
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
dbus-daemon --session --nofork --print-address=1 >"$work/bus" &
pids+=($!)
while [ ! -s "$work/bus" ]; do sleep 0.05; done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
/usr/libexec/at-spi-bus-launcher --launch-immediately &
pids+=($!)
sleep 1
/usr/bin/python3 - "$work/heard" <<'PY' &
import signal, sys, pyatspi
count = 0
def heard(event):
    # What a screen reader asks of each event's source.
    global count
    count += 1
    source = event.source
    if source is not None:
        source.name, source.getRoleName(), source.getState()
def stop(*_):
    open(sys.argv[1], 'w').write('%d events heard\n' % count)
    pyatspi.Registry.stop()
signal.signal(signal.SIGTERM, stop)
for kind in ('object:', 'focus:', 'window:'):
    pyatspi.Registry.registerEventListener(heard, kind)
pyatspi.Registry.start()
PY
pids+=($!)
sleep 2
echo "== with a screen reader's listener"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$bench"
kill "${pids[-1]}"; sleep 1; cat "$work/heard" 2>/dev/null || echo "the listener heard nothing"
echo "== without accessibility"
DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent "$bench"
