# Sourced by bench/run.sh: the drive folder against the system-Qt build, as a
# user feels them. drive_figures fills `drive`:
#   size.NAME             bytes of the drive folder, but Nagwick.exe
#   cold_bytes.NAME       bytes read from the device, median of the cold starts
#   cold_ms.NAME          exec -> MapNotify of a cold start, ms (median, min-max)
#   held_disk.NAME        KiB a run holds: its RSS, plus what it keeps in a tmpfs,
#   held_tmpfs.NAME         with /tmp on disk, with /tmp a tmpfs,
#   held_all_tmpfs.NAME     and with /tmp and /var/tmp both tmpfs
# NAME: drive (the drive folder), before (BENCH_DRIVE_BEFORE's) or system
# (the system-Qt build, in a folder of its own). A cold start
# runs from a fresh mount of an exFAT loop volume whose reads a cgroup v1
# blkio throttle holds to BENCH_DRIVE_BPS (20 MiB/s, a USB 2 stick), run
# BENCH_COLD_RUNS times (5).
# Needs what run.sh sets up: x_watch, $out, the display, fail and wait_for.
source "$repo/scripts/lib/loop_volume.sh"
declare -A drive

# Cold starts of FOLDER/nagwick from the throttled volume: sets cold_bytes.NAME, cold_ms.NAME.
cold_starts() {  # NAME FOLDER WRAPPER...
    local name=$1 folder=$2 image=$out/raw/volume.img mount=$out/raw/volume cgroup=/sys/fs/cgroup/blkio/nagwick-bench
    shift 2
    mkdir -p "$mount" "$cgroup"
    volume_create "$image" $(($(du -sm "$folder" | cut -f1) + 9)) && volume_mount "$image" "$mount" ||
        fail "cannot make the loop volume"
    cp -r "$folder/." "$mount" && printf '[main]\nexplorer=false\nstart=normal\n' >"$mount/nagwick.ini"
    volume_unmount "$mount"
    : >"$out/raw/cold.$name"
    for ((run = 0; run < ${BENCH_COLD_RUNS:-5}; run++)); do
        # The FUSE helper reads the device, so it and the program run in the throttled group.
        (echo $BASHPID >"$cgroup/cgroup.procs" && volume_mount "$image" "$mount") || fail "cannot mount the loop volume"
        local device sectors before
        device=$(volume_device "$mount") || fail "no loop device under $mount"
        echo "$device ${BENCH_DRIVE_BPS:-20971520}" >"$cgroup/blkio.throttle.read_bps_device"
        sectors() { awk '{print $3}' "/sys/dev/block/$device/stat"; }
        before=$(sectors)
        (echo $BASHPID >"$cgroup/cgroup.procs" && exec "$@" "$x_watch" "$mount/nagwick") >"$out/raw/cold.$name.run" 2>>"$out/raw/x_watch.err" ||
            fail "x_watch failed on the cold $name: $(tail -n1 "$out/raw/x_watch.err")"
        echo "$(cut -d' ' -f1 "$out/raw/cold.$name.run") $((($(sectors) - before) * 512))" >>"$out/raw/cold.$name"
        volume_unmount "$mount"
    done
    rmdir "$cgroup"
    read -r med min max < <(stats_ms 1 "$out/raw/cold.$name")
    drive[cold_ms.$name]="$med ($min-$max)"
    drive[cold_bytes.$name]=$(cut -d' ' -f2 "$out/raw/cold.$name" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
}

# The figures of FOLDER/nagwick, as NAME; WRAPPER... runs each program.
drive_figures() {  # NAME FOLDER WRAPPER...
    local name=$1 folder=$2 app
    shift 2
    drive[size.$name]=$(du -sb --exclude=Nagwick.exe --exclude=nagwick.ini "$folder" | cut -f1)
    if [[ $(id -u) -eq 0 && -d /sys/fs/cgroup/blkio && -c /dev/fuse ]] && type -P mount.exfat-fuse >/dev/null; then
        cold_starts "$name" "$folder" "$@"
    fi
    # Outside /tmp and /var/tmp, which the runs make tmpfs mounts.
    app=$(mktemp -d -p "$repo/build")
    cp -r "$folder/." "$app" && printf '[main]\nexplorer=false\nstart=normal\n' >"$app/nagwick.ini"
    drive[held_disk.$name]=$("$@" "$repo/bench/held_kib.sh" "$app/nagwick") &&
        drive[held_tmpfs.$name]=$("$@" "$repo/bench/held_kib.sh" "$app/nagwick" /tmp) &&
        drive[held_all_tmpfs.$name]=$("$@" "$repo/bench/held_kib.sh" "$app/nagwick" /tmp /var/tmp) ||
        fail "the $name folder's program showed no window"
    rm -rf "$app"
}
