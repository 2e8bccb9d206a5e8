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
mkdir -p "$app"
cp "$nagwick_binary" "$app/nagwick"
make_file_manager_stand_in "$work"

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

case "$case_name" in
close)
    start_nagwick
    wait_for test -s "$work/opened" || fail "the file manager was not started"
    [[ $(cat "$work/opened") == "$app" ]] || fail "opened '$(cat "$work/opened")', expected '$app'"
    # Not in the drive's folder: it would keep the drive busy after Nagwick.
    [[ $(cat "$work/opened-in") == / ]] || fail "file manager started in $(cat "$work/opened-in")"
    "$wm_close" "$main_window"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    [[ ! -e "$app/nagwick.ini" ]] || fail "reading the settings created a file"
    ;;
exit)
    printf '[main]\r\nexplorer=false\r\n' >"$app/nagwick.ini"
    start_nagwick
    click_exit "$main_window"
    # (A box would keep the program running.)
    expect_exit_status 0 "$work/log"
    [[ ! -e "$work/opened" ]] || fail "explorer=false still opened a file manager"
    ;;
hide-signal)
    printf '[main]\nexplorer=false\n' >"$app/nagwick.ini"
    start_nagwick
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    sleep 0.5
    kill -0 "$nagwick_pid" || fail "Hide ended the program"
    kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    ;;
options)
    original=$'; written by hand\r\n[other]\r\nkeep = this\r\n\r\n[main]\r\nexplorer = true\r\nstart=normal\r\n; end\r\n'
    printf '%s' "$original" >"$app/nagwick.ini"
    start_nagwick
    open_options "$main_window"
    dialog=$(window_named "Nagwick options")
    xdotool windowfocus --sync "$dialog"
    xdotool key Tab space Return  # chkStartState on, Enter presses OK
    wait_for window_gone "Nagwick options" || fail "Enter did not close the dialog"
    expected=$'; written by hand\r\n[other]\r\nkeep = this\r\n\r\n[main]\r\nexplorer = true\r\nstart=minimized\r\n; end\r\n'
    same_bytes "$app/nagwick.ini" "$expected"
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
