#!/usr/bin/env bash
# The built program on a real flash-drive volume: an exFAT image on a loop
# device, mounted through exfat-fuse, the program copied onto it and started
# from there under Xvfb, played with real key presses and clicks.
# Usage: flashdrive_test.sh NAGWICK CASE
#   CASE: busy-shown | busy-hidden | saved | read-only | full
# Exits 77 (skipped) where the machine has no root, loop devices or FUSE.
set -euo pipefail
nagwick_binary=$(realpath "$1") case_name=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/xvfb_session.sh"

[[ $(id -u) -eq 0 ]] || skip "needs root to attach loop devices and mount"
[[ -c /dev/fuse ]] || skip "no /dev/fuse"
[[ -c /dev/loop-control ]] || skip "no /dev/loop-control"
for tool in losetup mkfs.exfat fsck.exfat mount.exfat-fuse Xvfb xdotool; do
    type -P "$tool" >/dev/null || skip "$tool is not installed (packages exfatprogs, exfat-fuse, fuse3, xvfb, xdotool)"
done

# A run that was killed (a ctest timeout sends SIGKILL, which no trap sees)
# leaves its volume behind: take down those whose script is gone, with the
# processes it had started (when their ids still name them).
kill_recorded() {  # PID-FILE COMMAND-LINE-PREFIX
    local pid
    [[ -f "$1" ]] && pid=$(cat "$1") || return 0
    [[ "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" == "$2"* ]] && kill -9 "$pid" 2>/dev/null
    return 0
}
for stale in /tmp/nagwick-flashdrive.*; do
    [[ -f "$stale/owner" ]] || continue
    kill -0 "$(cat "$stale/owner")" 2>/dev/null && continue
    kill_recorded "$stale/nagwick.pid" "$stale/drive/nagwick"
    kill_recorded "$stale/xvfb.pid" "Xvfb "
    umount -l "$stale/drive" 2>/dev/null || true
    [[ -f "$stale/loop" ]] && { losetup -d "$(cat "$stale/loop")" 2>/dev/null || true; }
    rm -rf "$stale"
done

work=$(mktemp -d /tmp/nagwick-flashdrive.XXXXXX)
echo $$ >"$work/owner"
drive="$work/drive"
image="$work/drive.img"
mkdir -p "$drive"
make_file_manager_stand_in "$work"

loop= nagwick_pid=
cleanup() {
    set +e  # every step is tried, whatever failed before
    if [[ -n "$nagwick_pid" ]]; then
        kill -9 "$nagwick_pid" 2>/dev/null
        wait "$nagwick_pid" 2>/dev/null
    fi
    stop_xvfb
    if mountpoint -q "$drive"; then
        umount "$drive" 2>/dev/null || umount -l "$drive"
    fi
    [[ -n "$loop" ]] && losetup -d "$loop" 2>/dev/null
    rm -rf "$work"
    return 0
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Room for the program and 8 MiB more; exFAT with 4 KiB clusters.
size_mib=$(( $(stat -c %s "$nagwick_binary") / 1048576 + 9 ))
truncate -s "${size_mib}M" "$image"
mkfs.exfat -L NAGWICK "$image" >/dev/null
loop=$(losetup --find --show "$image" 2>"$work/losetup.err") ||
    skip "cannot attach a loop device: $(cat "$work/losetup.err")"
echo "$loop" >"$work/loop"

# Only the first mount may find the machine unable to mount; a later failure
# is the test's own.
mounted_before=
mount_drive() {
    if ! mount -t exfat-fuse "$loop" "$drive" 2>"$work/mount.err"; then
        [[ -z $mounted_before ]] || fail "cannot mount the volume again: $(cat "$work/mount.err")"
        skip "cannot mount through FUSE: $(cat "$work/mount.err")"
    fi
    mounted_before=1
}

# Unmounts the drive; the mount must be gone afterwards.
unmount_drive() {
    umount "$drive" 2>"$work/umount.err" || fail "unmount failed: $(cat "$work/umount.err")"
    ! mountpoint -q "$drive" || fail "still mounted after unmount"
}

# Unmounting must fail with "target is busy" and leave the drive mounted.
expect_busy() {
    if umount "$drive" 2>"$work/umount.err"; then
        fail "the drive could be unmounted while Nagwick ran ($1)"
    fi
    grep -q "target is busy" "$work/umount.err" || fail "umount said: $(cat "$work/umount.err")"
    mountpoint -q "$drive" || fail "the drive is gone after a failed unmount"
}

mount_drive
cp "$nagwick_binary" "$drive/nagwick"
start_xvfb
echo "$XVFB_PID" >"$work/xvfb.pid"

start_nagwick() {
    # Its working folder is not on the drive: only the program itself may
    # keep the drive busy. No session bus, so the stand-in is what opens.
    (cd "$work" && PATH="$work/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        QT_QPA_PLATFORM=xcb exec "$drive/nagwick") >"$work/log" 2>&1 &
    nagwick_pid=$!
    echo "$nagwick_pid" >"$work/nagwick.pid"
    wait_for window_named Nagwick || fail "the main window did not appear"
    main_window=$(window_named Nagwick)
}

# A visible window titled "Nagwick" other than the main window: the box
# that reports a failed save carries the program's name as its title.
report_box() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Nagwick$' 2>/dev/null); do
        [[ $id != "$main_window" ]] && { echo "$id"; return 0; }
    done
    return 1
}

# Opens the options dialog, turns "Start this program minimized" over and
# presses OK with the Enter key.
toggle_start_minimized() {
    open_options "$main_window"
    local dialog
    dialog=$(window_named "Nagwick options")
    xdotool windowfocus --sync "$dialog"
    xdotool key Tab space Return
}

no_report_box() { ! report_box; }

expect_dialog_closed() {
    wait_for window_gone "Nagwick options" || fail "the options dialog stayed open"
}

# The save must be reported; after the box, Nagwick goes on with its window.
expect_failure_reported() {
    wait_for report_box || fail "a failed save was not reported"
    local box
    box=$(report_box)
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for no_report_box || fail "the report box did not close"
    expect_dialog_closed
    sleep 0.5
    kill -0 "$nagwick_pid" 2>/dev/null || fail "Nagwick ended after a failed save"
    xdotool search --onlyvisible --name '^Nagwick$' | grep -qx "$main_window" ||
        fail "the main window is gone after a failed save"
}

no_temp_files() {
    local left
    left=$(find "$drive" -maxdepth 1 -name '.nagwick.ini.tmp-*')
    [[ -z "$left" ]] || fail "temporary files left on the drive: $left"
}

# The volume's structures after everything: fsck finds nothing to repair.
volume_is_clean() {
    fsck.exfat -n "$loop" >"$work/fsck.log" 2>&1 || { cat "$work/fsck.log" >&2; fail "fsck.exfat found errors"; }
}

old_settings=$'; on the drive\r\n[main]\r\nexplorer=false\r\nstart=normal\r\n'

case "$case_name" in
busy-shown)
    # No settings file: the file manager is opened on the drive itself.
    start_nagwick
    wait_for test -s "$work/opened" || fail "the file manager was not started"
    [[ $(cat "$work/opened") == "$drive" ]] || fail "opened '$(cat "$work/opened")', expected '$drive'"
    expect_busy "window shown"
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    unmount_drive
    mount_drive
    [[ ! -e "$drive/nagwick.ini" ]] || fail "reading the settings created a file"
    ;;
busy-hidden)
    printf '%s' "$old_settings" >"$drive/nagwick.ini"
    start_nagwick
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    kill -0 "$nagwick_pid" || fail "Hide ended the program"
    expect_busy "window hidden"
    # Hidden, the program still ends with the warning (as at log-off).
    kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    unmount_drive
    ;;
saved)
    printf '%s' "$old_settings" >"$drive/nagwick.ini"
    start_nagwick
    toggle_start_minimized
    expect_dialog_closed
    no_report_box || fail "a good save was reported as failed"
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    unmount_drive
    volume_is_clean
    mount_drive
    same_bytes "$drive/nagwick.ini" $'; on the drive\r\n[main]\r\nexplorer=false\r\nstart=minimized\r\n'
    no_temp_files
    ;;
read-only)
    printf '%s' "$old_settings" >"$drive/nagwick.ini"
    start_nagwick
    # -i: the kernel remounts the volume read-only, as it does after a
    # device error; the FUSE helper has no part in it.
    mount -i -o remount,ro "$drive" || fail "cannot remount read-only"
    if touch "$drive/probe" 2>/dev/null; then fail "the read-only volume took a new file"; fi
    toggle_start_minimized
    expect_failure_reported
    same_bytes "$drive/nagwick.ini" "$old_settings"
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    unmount_drive
    mount_drive
    same_bytes "$drive/nagwick.ini" "$old_settings"
    ;;
full)
    printf '%s' "$old_settings" >"$drive/nagwick.ini"
    # To the last byte: big writes first, then ever smaller ones, each until
    # the volume says ENOSPC. Nothing is deleted afterwards.
    for block in 1048576 4096 512 1; do
        if dd if=/dev/zero bs="$block" status=none >>"$drive/fill" 2>"$work/dd.err"; then
            fail "filling the volume did not end"
        fi
        grep -q "No space left on device" "$work/dd.err" || fail "filling the volume: $(cat "$work/dd.err")"
    done
    [[ $(df --output=avail -B1 "$drive" | tail -n1 | tr -d ' ') -eq 0 ]] || fail "the volume has room left"
    start_nagwick
    toggle_start_minimized
    expect_failure_reported
    same_bytes "$drive/nagwick.ini" "$old_settings"
    no_temp_files
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    unmount_drive
    volume_is_clean
    mount_drive
    same_bytes "$drive/nagwick.ini" "$old_settings"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
