#!/usr/bin/env bash
# The built program on a real X display (Xvfb), started from a folder of its
# own with a stand-in file manager, played with real key presses and clicks.
# Usage: linux_e2e.sh NAGWICK WM_CLOSE CASE    (CASE: close | exit | hide-signal | options)
set -euo pipefail
nagwick_binary=$1 wm_close=$2 case_name=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"

work=$(mktemp -d)
app="$work/flash drive, E"
mkdir -p "$app" "$work/bin"
cp "$nagwick_binary" "$app/nagwick"
# The stand-in file manager records the folder it was asked to open, and
# the folder it was started in.
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened"
pwd >"$work/opened-in"
SCRIPT
chmod +x "$work/bin/xdg-open"

nagwick_pid=
cleanup() {
    [[ -n "$nagwick_pid" ]] && kill -9 "$nagwick_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb

start_nagwick() {
    # No session bus: the file manager service is not there, xdg-open is.
    # Started from the drive's folder, as a file manager would start it.
    (cd "$app" && PATH="$work/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        QT_QPA_PLATFORM=xcb exec "$app/nagwick") >"$work/log" 2>&1 &
    nagwick_pid=$!
    wait_for window_shown Nagwick || fail "the main window did not appear"
    main_window=$(window_named Nagwick)
}

not_running() { ! kill -0 "$1" 2>/dev/null; }

# Waits for the program to end and checks its status.
expect_exit_status() {
    local status=0
    wait_for not_running "$nagwick_pid" ||
        fail "still running$(window_named 'Remove flash drive' >/dev/null && echo ', showing a box')"
    wait "$nagwick_pid" || status=$?
    nagwick_pid=
    [[ $status -eq $1 ]] || { cat "$work/log" >&2; fail "exit status $status, expected $1"; }
}

# Waits for the warning and dismisses it with the Enter key.
dismiss_warning() {
    wait_for window_shown "Remove flash drive" || fail "no warning box"
    local box
    box=$(window_named "Remove flash drive")
    xdotool windowfocus --sync "$box"
    xdotool key Return
}

click_button() {  # WINDOW X Y, in pixels inside the window
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

case "$case_name" in
close)
    start_nagwick
    wait_for test -s "$work/opened" || fail "the file manager was not started"
    [[ $(cat "$work/opened") == "$app" ]] || fail "opened '$(cat "$work/opened")', expected '$app'"
    # Not in the drive's folder: it would keep the drive busy after Nagwick.
    [[ $(cat "$work/opened-in") == / ]] || fail "file manager started in $(cat "$work/opened-in")"
    "$wm_close" "$main_window"
    dismiss_warning
    expect_exit_status 0
    [[ ! -e "$app/nagwick.ini" ]] || fail "reading the settings created a file"
    ;;
exit)
    printf '[main]\r\nexplorer=false\r\n' >"$app/nagwick.ini"
    start_nagwick
    click_button "$main_window" 320 184  # Exit: 4200,2520 twips, 1215 x 495
    expect_exit_status 0
    window_gone "Remove flash drive" || fail "Exit showed a box"
    [[ ! -e "$work/opened" ]] || fail "explorer=false still opened a file manager"
    ;;
hide-signal)
    printf '[main]\nexplorer=false\n' >"$app/nagwick.ini"
    start_nagwick
    click_button "$main_window" 192 184  # Hide: 2280,2520 twips
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    sleep 0.5
    kill -0 "$nagwick_pid" || fail "Hide ended the program"
    kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0
    ;;
options)
    original=$'; written by hand\r\n[other]\r\nkeep = this\r\n\r\n[main]\r\nexplorer = true\r\nstart=normal\r\n; end\r\n'
    printf '%s' "$original" >"$app/nagwick.ini"
    start_nagwick
    xdotool windowfocus --sync "$main_window"
    xdotool key Tab Tab space  # Exit -> Hide -> Options, pressed
    wait_for window_shown "Nagwick options" || fail "the options dialog did not open"
    dialog=$(window_named "Nagwick options")
    xdotool windowfocus --sync "$dialog"
    xdotool key Tab space Return  # chkStartState on, Enter presses OK
    wait_for window_gone "Nagwick options" || fail "Enter did not close the dialog"
    expected=$'; written by hand\r\n[other]\r\nkeep = this\r\n\r\n[main]\r\nexplorer = true\r\nstart=minimized\r\n; end\r\n'
    [[ "$(cat "$app/nagwick.ini"; printf x)" == "${expected}x" ]] ||
        fail "file is $(od -c "$app/nagwick.ini")"
    click_button "$main_window" 320 184
    expect_exit_status 0
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
