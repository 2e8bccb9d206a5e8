# Sourced by the drive folder's end-to-end tests and the benchmark: a flash
# drive's stand-in, an exFAT volume in an image file that exfat-fuse mounts
# through a loop device (root, /dev/fuse and loop devices). The loop device
# goes with the mount, so a fresh mount reads everything from it again.
volume_create() {  # IMAGE MIB: an empty volume of that size
    rm -f "$1" && truncate -s "$2M" "$1" && mkfs.exfat "$1" >/dev/null
}
volume_mount() { mount -t exfat-fuse -o loop "$1" "$2"; }  # IMAGE FOLDER
volume_unmount() {  # FOLDER: returns once its helper has written all and ended
    local helper
    helper=$(volume_fuse_pid "$1") && umount "$1" && while kill -0 "$helper" 2>/dev/null; do sleep 0.05; done
}
volume_device() {  # FOLDER: its loop device, as MAJOR:MINOR
    local device
    device=$(findmnt -no SOURCE "$1") && [[ -b $device ]] && echo "$((0x$(stat -c %t "$device"))):$((0x$(stat -c %T "$device")))"
}
volume_fuse_pid() { pgrep -f "mount.exfat-fuse /dev/loop[0-9]* $1 "; }  # FOLDER: the helper serving it
