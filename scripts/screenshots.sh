#!/usr/bin/env bash
# Writes PNG screenshots of Nagwick's windows, run under Xvfb with a window
# manager (so title bars and their icons show), into DIR.
# Usage: scripts/screenshots.sh DIR
set -euo pipefail
out=$(realpath -m "${1:?usage: $0 DIR}")
cd "$(dirname "$0")/.."
scripts/deps.sh screenshots
mkdir -p "$out"
cmake --preset default -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset default -j"$(nproc)" --target nagwick
source tests/e2e/xvfb_session.sh

work=$(mktemp -d)
cp build/default/nagwick "$work/nagwick"
printf '[main]\r\nexplorer=false\r\nstart=normal\r\n' >"$work/nagwick.ini"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb
dbus-launch --exit-with-x11 >/dev/null 2>&1 || true
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

xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key Tab Tab space
wait_for window_shown "Nagwick options" || fail "the options dialog did not open"
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
