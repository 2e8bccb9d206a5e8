#!/bin/sh
# Prints what one run of PROGRAM holds once its main window is up, in KiB:
# its RSS, plus what it keeps in the folders FOLDER..., each made a fresh
# tmpfs first. Needs a mount namespace of its own, and the program's folder
# outside those folders:   unshare --mount bench/held_kib.sh PROGRAM [FOLDER...]
program=$1
shift
for folder; do mount -t tmpfs tmpfs "$folder" || exit 1; done
"$program" >/dev/null 2>&1 &
pid=$!
until xdotool search --onlyvisible --pid $pid --name '^Nagwick$' >/dev/null 2>&1; do
    kill -0 $pid 2>/dev/null || exit 1
    sleep 0.1
done
held=$(awk '$1 == "Rss:" {print $2}' /proc/$pid/smaps_rollup)
for folder; do held=$((held + $(df -k --output=used "$folder" | tail -n1))); done
kill -9 $pid
echo "$held"
