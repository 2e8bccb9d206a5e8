#!/usr/bin/env bash
# Writes PNG screenshots of Nagwick's windows, run under Xvfb with a window
# manager (so title bars and their icons show), into DIR.
# Usage: scripts/screenshots.sh DIR
set -euo pipefail
out=$(realpath -m "${1:?usage: $0 DIR}")
cd "$(dirname "$0")/.."
scripts/deps.sh screenshots
mkdir -p "$out"
# A first configure leaves the tests out; a later one keeps what the build folder has.
[[ -f build/default/CMakeCache.txt ]] || testing=-DBUILD_TESTING=OFF
cmake --preset default ${testing:-} >/dev/null
cmake --build --preset default -j"$(nproc)" --target nagwick
source scripts/lib/xvfb.sh

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ -n ${DBUS_SESSION_BUS_PID:-} ]] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
cp build/default/nagwick "$work/nagwick"
printf '[main]\r\nexplorer=false\r\nstart=normal\r\n' >"$work/nagwick.ini"
start_xvfb
# The window manager reads its settings over a session bus of its own.
eval "$(dbus-launch --sh-syntax --exit-with-x11)"
xfwm4 --compositor=off >/dev/null 2>&1 &
pids+=($!)
sleep 1

shoot() {  # NAME: the whole screen, after the window has had time to paint
    sleep 0.7
    import -window root "$out/$1.png"
    echo "wrote $out/$1.png"
}

DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" "$work/nagwick" >/dev/null 2>&1 &
pids+=($!)
wait_for window_shown Nagwick || fail "the main window did not appear"
main=$(window_named Nagwick)
shoot linux-main

open_options "$main"
shoot linux-options
xdotool key Escape

wait_for window_gone "Nagwick options"
xdotool key alt+F4
wait_for window_shown "Remove flash drive" || fail "no warning"
shoot linux-warning
xdotool key Return

if [[ -x scripts/screenshots-windows.sh ]]; then
    scripts/screenshots-windows.sh "$out"
fi
