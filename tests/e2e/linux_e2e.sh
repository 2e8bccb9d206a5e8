#!/usr/bin/env bash
# The drive folder, installed as scripts/build-drive.sh makes it, run the
# ways a user runs it: under Xvfb, with a stand-in file manager, played with
# real keys and clicks. Exits 77 (skipped) without what a case needs.
# Usage: linux_e2e.sh CMAKE BUILD_DIR CASE
#   On a desktop without Qt: a mount namespace shows the program only the
#   folder's libraries and those of a GTK desktop (deps.sh's "drive", what
#   they rest on, and Debian's required ones); Qt first is hidden.
#     libraries     every file of the folder and its bundle finds what it
#                   needs, none needs a glibc newer than 2.35, and it carries
#                   no C or C++ runtime
#     launcher      sh nagwick.sh, from a copy whose files have no execute bits
#     direct | link by its path, or through a symbolic link elsewhere
#     too-old       sh nagwick.sh on a glibc older than 2.35: one sentence
#     early-signal  SIGTERM 10 ms after the start: the warning all the same
#     abandoned     a killed run's copy is removed by the next start, a
#                   running one's is not
#     again         started again from its folder, a hidden Nagwick comes
#                   back and the new start ends; from another folder, or
#                   while the first is stopped, another one starts
#   On an exFAT volume (a loop device through exfat-fuse; needs root):
#     busy          the drive can't be unmounted while Nagwick runs
#     saved | read-only | full   a save from the options dialog: byte for byte,
#                                or reported and the file as it was
#     pulled        the FUSE helper killed: Nagwick runs on, and warns
set -euo pipefail
cmake=$1 build=$2 case_name=$3
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
source "$(dirname "$0")/../../scripts/lib/loop_volume.sh"
mapfile -t desktop < <("$(dirname "$0")/../../scripts/deps.sh" --list drive)
[[ ${#desktop[@]} -gt 0 ]] || fail "no package list from scripts/deps.sh"
volume= namespace=(--mount)
if [[ $case_name =~ ^(libraries|launcher|direct|link|too-old|early-signal|abandoned|again)$ ]]; then
    dpkg-query -W "${desktop[@]}" >/dev/null 2>&1 || skip "the desktop's packages are not all installed: ${desktop[*]}"
else
    [[ $(id -u) -eq 0 && -c /dev/fuse && -c /dev/loop-control ]] || skip "needs root, /dev/fuse and loop devices"
    type -P mkfs.exfat mount.exfat-fuse >/dev/null || skip "exfatprogs or exfat-fuse is not installed"
    volume=1 namespace=(--mount --pid --fork --kill-child --mount-proc)
fi
# In namespaces of its own: whatever it mounts or starts goes with it.
if [[ -z ${NAGWICK_E2E_NS:-} ]]; then
    export NAGWICK_E2E_NS=1
    unshare "${namespace[@]}" true 2>/dev/null || namespace=(--user --map-root-user "${namespace[@]}")
    unshare "${namespace[@]}" true 2>/dev/null || skip "cannot create a mount namespace"
    exec unshare "${namespace[@]}" "$0" "$@"
fi
work=$(mktemp -d) folder=$(mktemp -d)/"flash drive"
trap 'set +e; kill -9 ${nagwick_pid:-} 2>/dev/null; stop_xvfb; umount -l "$folder" 2>/dev/null; rm -rf "$work" "${folder%/*}"' EXIT
# The local copies of this run's starts, and theirs only.
mount -t tmpfs tmpfs /var/tmp || fail "cannot mount a private /var/tmp"
copies() { ls -d /var/tmp/nagwick-copy-* 2>/dev/null; }
mkdir -p -m 700 "$work/run" "$folder"
make_file_manager_stand_in "$work"
"$cmake" --install "$build" --component drive --prefix "$work/folder" >/dev/null
start=("$folder/nagwick") run=()

if [[ -z $volume ]]; then
    cp -r "$work/folder/." "$folder"
    # The desktop's view of the system's library folder: its packages' files only.
    libs=/usr/lib/x86_64-linux-gnu
    mkdir "$work/libs" "$work/system-libs"
    { apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
          --no-replaces --no-enhances "${desktop[@]}" | grep '^[a-z]'
      dpkg-query -W -f '${Package} ${Priority}\n' | awk '$2 == "required" { print $1 }'; } |
        sort -u | { xargs dpkg -L 2>/dev/null || true; } | sed -n "s|^\(/usr\)\?/lib/x86_64-linux-gnu/\([^/]*\).*|\2|p" |
        sort -u | while read -r entry; do ln -s "$work/system-libs/$entry" "$work/libs/$entry"; done
    # Followed by a command: runs it on that view.
    run=(unshare --mount sh -c 'mount --bind "$1" "$2" && mount --bind "$3" "$1" && shift 3 && exec "$@"'
        sh "$libs" "$work/system-libs" "$work/libs")
    cd "$folder"
    case $case_name in
    launcher) find . -type f -exec chmod a-x {} + && start=(sh "$folder/nagwick.sh") ;;
    link) ln -s "$folder/nagwick" "$work/nagwick" && start=("$work/nagwick") ;;
    early-signal) run=() ;;  # the signal meant for Nagwick, not for the shell that sets up the view
    esac
else
    volume_create "$work/drive.img" "$(($(du -sm "$work/folder" | cut -f1) + 9))"  # 8 MiB to spare
    mount_drive() {  # only the first mount may find the machine unable to mount
        volume_mount "$work/drive.img" "$folder" 2>"$work/mount.err" && mounted=1 && return
        [[ -n ${mounted:-} ]] && fail "cannot mount the volume again: $(cat "$work/mount.err")"
        skip "cannot mount through FUSE: $(cat "$work/mount.err")"
    }
    unmount_drive() {  # unmounts (and checks) the volume; then mounts it again, fresh
        volume_unmount "$folder" 2>"$work/umount.err" || fail "unmount failed: $(cat "$work/umount.err")"
        fsck.exfat -n "$work/drive.img" >"$work/fsck.log" 2>&1 || fail "fsck.exfat found errors: $(cat "$work/fsck.log")"
        mount_drive
    }
    mount_drive
    cp -r "$work/folder/." "$folder"
    old=$'; on the drive\r\n\r\n[other]\r\n  keep = this\r\n[main]\r\nexplorer=false\r\nstart=normal\r\n'
    [[ $case_name == busy ]] || printf '%s' "$old" >"$folder/nagwick.ini"
    unmount_drive  # nothing of the folder is cached in memory now
fi

if [[ $case_name == libraries ]]; then
    mkdir "$work/unpacked" && cd "$work/unpacked"
    lz4 -dc "$folder/nagwick-linux.tar.lz4" | tar -xi || fail "the bundle does not unpack"
    elf=("$folder/nagwick" nagwick nagwick-lib/*.so* nagwick-lib/plugins/*/*.so)
    found=$("${run[@]}" env LD_LIBRARY_PATH="$work/unpacked/nagwick-lib" ldd "${elf[@]}")
    ! grep -q "not found" <<<"$found" || fail "$(grep -e ':$' -e 'not found' <<<"$found")"
    newest=$(objdump -T "${elf[@]}" | grep -o 'GLIBC_2\.[0-9]*' | sort -uV | tail -n1)
    [[ $(printf '%s\n' "$newest" GLIBC_2.35 | sort -V | tail -n1) == GLIBC_2.35 ]] || fail "needs $newest"
    ! ls nagwick-lib | grep -E '^(ld-linux|lib(c|m|stdc\+\+|gcc_s)\.so)' || fail "carries a C or C++ runtime"
    echo "PASS: $case_name" && exit 0
elif [[ $case_name == too-old ]]; then
    printf '#!/bin/sh\necho "glibc 2.31"\n' >"$work/bin/getconf" && chmod +x "$work/bin/getconf"
    said=$(PATH="$work/bin:$PATH" DISPLAY= sh nagwick.sh 2>&1) && fail "it started"
    [[ $said == "Nagwick can't run on this computer: its Linux is too old (glibc 2.35 or later is needed)." ]] ||
        fail "it said: $said"
    echo "PASS: $case_name" && exit 0
fi
start_xvfb
start_nagwick() {  # as $nagwick_pid
    # As a Wayland session may ask of Qt: the folder's Qt runs on X11 all the same.
    (cd "$work" && PATH="$work/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" XDG_RUNTIME_DIR="$work/run" \
        XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland exec "${run[@]}" "${start[@]}") >>"$work/log" 2>&1 &
    nagwick_pid=$!
}
if [[ $case_name == abandoned ]]; then
    kill -STOP "$XVFB_PID"  # each run waits for the display, its copy in place
    for run_name in killed running; do
        start_nagwick
        declare "$run_name=$nagwick_pid"
        wait_for eval '[[ $(readlink /proc/$nagwick_pid/exe) == /var/tmp/nagwick-copy-* ]]' || fail "no copy: $(cat "$work/log")"
    done
    killed_copy=$(readlink "/proc/$killed/exe") running_copy=$(readlink "/proc/$running/exe")
    kill -KILL "$killed"
    touch -d '-2 minutes' /var/tmp/nagwick-copy-*  # older than a copy not yet locked may be
    start_nagwick
    wait_for eval '[[ ! -e ${killed_copy%/*} ]]' || fail "the killed run's copy is left: $(copies)"
    [[ -e ${running_copy%/*} ]] || fail "the running copy was removed"
    kill -KILL "$running" "$nagwick_pid"
    echo "PASS: $case_name" && exit 0
fi
start_nagwick
if [[ $case_name == early-signal ]]; then
    sleep 0.01 && kill -TERM "$nagwick_pid"
    dismiss_warning
    expect_exit_status 0 "$work/log"
    [[ -z $(copies) ]] || fail "copies left: $(copies)"
    echo "PASS: $case_name" && exit 0
fi
wait_for window_shown Nagwick || fail "the main window did not appear: $(cat "$work/log")"
main_window=$(window_named Nagwick)
# It runs from a local copy, which it has deleted already.
copy=$(readlink "/proc/$nagwick_pid/exe")
[[ $copy == *" (deleted)" && ! -e ${copy%/*} ]] || fail "not run from a local copy it deleted: $copy"
# A visible window titled "Nagwick" but the main one: the report of a failed save.
report_box() { xdotool search --onlyvisible --name '^Nagwick$' 2>/dev/null | grep -vx "$main_window"; }

case $case_name in
launcher | direct | link | busy)
    # No settings file: the file manager opens the drive folder, and not from within it.
    wait_for test -s "$work/opened" || fail "the file manager was not started"
    [[ $(cat "$work/opened") == "$folder" && $(cat "$work/opened-in") == / ]] ||
        fail "opened '$(cat "$work/opened")' in '$(cat "$work/opened-in")'"
    (((0x$(cat "$work/opened-blocked") & 0x4003) == 0)) || fail "SIGTERM, SIGHUP or SIGINT blocked in the file manager: $(cat "$work/opened-blocked")"
    if [[ -n $volume ]]; then
        ! umount "$folder" 2>"$work/umount.err" || fail "the drive could be unmounted while Nagwick ran"
        grep -q "target is busy" "$work/umount.err" || fail "umount said: $(cat "$work/umount.err")"
        click_exit "$main_window" && expect_exit_status 0 "$work/log" && unmount_drive
    fi
    [[ ! -e "$folder/nagwick.ini" ]] || fail "reading the settings created a file"
    ;;
saved | read-only | full)
    expected=${old/start=normal/start=minimized}
    if [[ $case_name == read-only ]]; then
        # -i: the kernel remounts the volume read-only, as after a device error.
        mount -i -o remount,ro "$folder" && expected=$old || fail "cannot remount read-only"
    elif [[ $case_name == full ]]; then
        for block in 1048576 4096 512 1; do  # to the last byte
            ! dd if=/dev/zero bs="$block" status=none >>"$folder/fill" 2>"$work/dd.err" || fail "filling did not end"
        done
        expected=$old
    fi
    open_options "$main_window"  # "Start this program minimized" turned over, and Enter: OK
    xdotool windowfocus --sync "$(window_named "Nagwick options")" key Tab space Return
    if [[ $expected == "$old" ]]; then
        wait_for report_box || fail "a failed save was not reported"
        xdotool windowfocus --sync "$(report_box)" key Return
    fi
    wait_for window_gone "Nagwick options" && sleep 0.5 || fail "the options dialog stayed open"
    ! report_box || fail "a good save was reported, or the report stayed"
    click_exit "$main_window"
    expect_exit_status 0 "$work/log"
    unmount_drive
    same_bytes "$folder/nagwick.ini" "$expected"
    [[ -z $(find "$folder" -maxdepth 1 -name '.nagwick.ini.tmp-*') ]] || fail "temporary files left"
    ;;
again)
    first=$nagwick_pid
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    start_nagwick && expect_exit_status 0 "$work/log"
    wait_for window_shown Nagwick || fail "the hidden window did not come back"
    windows() { xdotool search --onlyvisible --name '^Nagwick$' | wc -l; }
    [[ $(windows) == 1 ]] || fail "another window came"
    cp -r "$folder" "$work/other" && start=("$work/other/nagwick") && start_nagwick && other=$nagwick_pid
    kill -STOP "$first"
    start=("$folder/nagwick") && start_nagwick
    wait_for eval '[[ $(windows) == 3 ]]' || fail "$(windows) windows: no other folder's, or none after a stopped one"
    kill -KILL "$other" "$nagwick_pid" && kill -CONT "$first" && nagwick_pid=$first
    ;;
pulled)
    kill -KILL "$(volume_fuse_pid "$folder")"
    wait_for eval '! ls "$folder"' || fail "the volume can still be read"
    ;;
esac
if [[ -n $nagwick_pid ]] && kill -0 "$nagwick_pid" 2>/dev/null; then
    kill -TERM "$nagwick_pid"  # hidden, or its drive gone: the warning all the same
    dismiss_warning
    expect_exit_status 0 "$work/log"
fi
echo "PASS: $case_name"
