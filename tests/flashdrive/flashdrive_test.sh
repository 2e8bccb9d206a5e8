#!/usr/bin/env bash
# The drive folder on a real flash-drive volume: an exFAT image on a loop
# device through exfat-fuse, the folder installed onto it, Nagwick started
# from there under Xvfb and played with real key presses and clicks.
# Usage: flashdrive_test.sh CMAKE BUILD_DIR CASE
#   CASE: busy-shown | busy-hidden | saved | read-only | full | pulled
# Runs in mount and PID namespaces of its own, so that whatever it mounts or
# starts goes with it however it ends. Exits 77 (skipped) without root or FUSE.
set -euo pipefail
cmake=$1 build=$2 case_name=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/xvfb_session.sh"

[[ $(id -u) -eq 0 ]] || skip "needs root to attach loop devices and mount"
[[ -c /dev/fuse && -c /dev/loop-control ]] || skip "no /dev/fuse or /dev/loop-control"
for tool in unshare mkfs.exfat fsck.exfat mount.exfat-fuse Xvfb xdotool; do
    type -P "$tool" >/dev/null || skip "$tool is not installed (packages exfatprogs, exfat-fuse, fuse3, xvfb, xdotool)"
done
if (($$ != 1)); then
    unshare --mount --pid --fork --mount-proc true 2>/dev/null || skip "cannot create mount and PID namespaces"
    exec unshare --mount --pid --fork --kill-child --mount-proc "$0" "$@"
fi

# In ctest's folder: what a killed run leaves, the next one clears.
work=$PWD/$case_name drive=$PWD/$case_name/drive
rm -rf "$work"
mkdir -p "$drive" && mkdir -m 700 "$work/run"
trap 'umount -l "$drive" 2>/dev/null || true; rm -rf "$work"' EXIT
make_file_manager_stand_in "$work"

# The drive folder as scripts/build-drive.sh makes it; a volume with room
# for it and 8 MiB more. -o loop: the loop device goes with the mount.
"$cmake" --install "$build" --component drive --prefix "$work/folder" >/dev/null
truncate -s "$(($(du -sm "$work/folder" | cut -f1) + 9))M" "$work/drive.img"
mkfs.exfat -L NAGWICK "$work/drive.img" >/dev/null
# Only the first mount may find the machine unable to mount.
mount_drive() {
    mount -t exfat-fuse -o loop "$work/drive.img" "$drive" 2>"$work/mount.err" && mounted=1 && return
    [[ -z ${mounted:-} ]] && skip "cannot mount through FUSE: $(cat "$work/mount.err")"
    fail "cannot mount the volume again: $(cat "$work/mount.err")"
}
# Unmounts the drive, which must be clean; -n: mounted again.
unmount_drive() {
    umount "$drive" 2>"$work/umount.err" || fail "unmount failed: $(cat "$work/umount.err")"
    fsck.exfat -n "$work/drive.img" >"$work/fsck.log" 2>&1 || { cat "$work/fsck.log" >&2; fail "fsck.exfat found errors"; }
    [[ ${1:-} != -n ]] || mount_drive
}
# Unmounting must fail, with "target is busy".
expect_busy() {
    ! umount "$drive" 2>"$work/umount.err" || fail "the drive could be unmounted while Nagwick ran"
    grep -q "target is busy" "$work/umount.err" || fail "umount said: $(cat "$work/umount.err")"
}
mount_drive
cp -r "$work/folder/." "$drive"
old_settings=$'; on the drive\r\n[main]\r\nexplorer=false\r\nstart=normal\r\n'
[[ $case_name == busy-shown ]] || printf '%s' "$old_settings" >"$drive/nagwick.ini"
# A fresh mount: nothing of the folder is cached in memory yet.
unmount_drive -n
start_xvfb

start_nagwick() {
    # Its working folder is not on the drive: only the program itself may
    # keep the drive busy. No session bus, so the stand-in is what opens.
    (cd "$work" && PATH="$work/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        XDG_RUNTIME_DIR="$work/run" exec "$drive/nagwick") >"$work/log" 2>&1 &
    nagwick_pid=$!
    wait_for window_named Nagwick || fail "the main window did not appear: $(cat "$work/log")"
    main_window=$(window_named Nagwick)
}
end_with_exit() {
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
}

# A visible window titled "Nagwick" other than the main window: the box
# that reports a failed save carries the program's name as its title.
report_box() { xdotool search --onlyvisible --name '^Nagwick$' 2>/dev/null | grep -vx "$main_window"; }
no_report_box() { ! report_box; }
dialog_closed() { window_gone "Nagwick options"; }

# Turns "Start this program minimized" over in the options dialog and
# presses OK; the save must be reported as failed or not, as $1 says.
toggle_start_minimized() {
    open_options "$main_window"
    xdotool windowfocus --sync "$(window_named "Nagwick options")" key Tab space Return
    if [[ $1 == fails ]]; then
        wait_for report_box || fail "a failed save was not reported"
        xdotool windowfocus --sync "$(report_box)" key Return
        wait_for no_report_box || fail "the report box did not close"
    fi
    wait_for dialog_closed || fail "the options dialog stayed open"
    sleep 0.5
    no_report_box || fail "a save was reported as failed"
    window_shown Nagwick || fail "the main window is gone after the save"
}
drive_gone() { ! ls "$drive"; }
no_temp_files() { [[ -z $(find "$drive" -maxdepth 1 -name '.nagwick.ini.tmp-*') ]] || fail "temporary files left"; }

case "$case_name" in
busy-shown)
    # No settings file: the file manager is opened on the drive itself.
    start_nagwick
    wait_for test -s "$work/opened" || fail "the file manager was not started"
    [[ $(cat "$work/opened") == "$drive" ]] || fail "opened '$(cat "$work/opened")', expected '$drive'"
    expect_busy
    end_with_exit
    unmount_drive -n
    [[ ! -e "$drive/nagwick.ini" ]] || fail "reading the settings created a file"
    ;;
busy-hidden)
    start_nagwick
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    expect_busy
    # Hidden, the program still ends with the warning (as at log-off).
    kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    unmount_drive
    ;;
saved)
    start_nagwick
    toggle_start_minimized saves
    end_with_exit
    unmount_drive -n
    same_bytes "$drive/nagwick.ini" $'; on the drive\r\n[main]\r\nexplorer=false\r\nstart=minimized\r\n'
    no_temp_files
    ;;
read-only | full)
    if [[ $case_name == read-only ]]; then
        start_nagwick
        # -i: the kernel remounts the volume read-only, as after a device error.
        mount -i -o remount,ro "$drive" || fail "cannot remount read-only"
    else
        # To the last byte: ever smaller writes, each until the volume says ENOSPC.
        for block in 1048576 4096 512 1; do
            ! dd if=/dev/zero bs="$block" status=none >>"$drive/fill" 2>"$work/dd.err" || fail "filling did not end"
            grep -q "No space left on device" "$work/dd.err" || fail "filling the volume: $(cat "$work/dd.err")"
        done
        start_nagwick
    fi
    toggle_start_minimized fails
    same_bytes "$drive/nagwick.ini" "$old_settings"
    end_with_exit
    unmount_drive -n
    same_bytes "$drive/nagwick.ini" "$old_settings"
    no_temp_files
    ;;
pulled)
    # The drive goes with Nagwick's window on screen: its FUSE helper ends,
    # and every read from the volume fails from then on. Nagwick runs on,
    # and a signal still brings the warning.
    start_nagwick
    kill -KILL "$(pgrep -f "mount.exfat-fuse /dev/loop[0-9]* $drive ")"
    wait_for drive_gone || fail "the volume can still be read"
    kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
