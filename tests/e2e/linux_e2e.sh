#!/usr/bin/env bash
# The built program on a real X display (Xvfb), started from a folder of its
# own with a stand-in file manager, played with real key presses and clicks.
# Usage: linux_e2e.sh NAGWICK CASE
#   start:   no settings file: the file manager opens on the program's folder
#            (and not in it), reading creates no file, Exit ends silently.
#   options: the dialog by keys saves one value byte for byte; hidden, the
#            program warns at SIGTERM and ends with status 0.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"
work=$(mktemp -d)
app="$work/flash drive, E"
mkdir -p "$app"
cp "$1" "$app/nagwick"
make_file_manager_stand_in "$work"
nagwick_pid=
trap '[[ -n $nagwick_pid ]] && kill -9 $nagwick_pid; stop_xvfb; rm -rf "$work"' EXIT
start_xvfb

start_nagwick() {
    # No session bus, so xdg-open (the stand-in) is what opens the folder.
    (cd "$app" && PATH="$work/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        QT_QPA_PLATFORM=xcb exec ./nagwick) >"$work/log" 2>&1 &
    nagwick_pid=$!
    wait_for window_shown Nagwick || fail "the main window did not appear"
    main_window=$(window_named Nagwick)
}

case $2 in
start)
    start_nagwick
    wait_for test -s "$work/opened" || fail "the file manager was not started"
    [[ $(cat "$work/opened") == "$app" ]] || fail "opened '$(cat "$work/opened")', expected '$app'"
    [[ $(cat "$work/opened-in") == / ]] || fail "the file manager was started in $(cat "$work/opened-in")"
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    [[ ! -e "$app/nagwick.ini" ]] || fail "reading the settings created a file"
    ;;
options)
    printf '; by hand\n\n[other]\n  keep = this\n[main]\nexplorer=false\nstart=normal ; ok\n' >"$app/nagwick.ini"
    start_nagwick
    open_options "$main_window"
    xdotool windowfocus --sync "$(window_named "Nagwick options")"
    xdotool key Tab space Return  # chkStartState on; Enter presses OK
    wait_for window_gone "Nagwick options" || fail "Enter did not close the dialog"
    same_bytes "$app/nagwick.ini" $'; by hand\n\n[other]\n  keep = this\n[main]\nexplorer=false\nstart=minimized\n'
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    [[ ! -e "$work/opened" ]] || fail "explorer=false opened a file manager"
    ;;
esac
echo "PASS: $2"
