#!/usr/bin/env bash
# Installs the Debian packages the given tasks need, only those that are missing.
# Usage: scripts/deps.sh [--list] TASK...   (TASK: run | test | drive | windows | screenshots | bench)
#   --list: prints the packages, one a line, and installs nothing.
set -euo pipefail

build=(cmake g++ make qt6-base-dev libx11-dev libice-dev liblz4-dev libicu-dev lz4)
run=("${build[@]}" xdg-utils)
test=("${build[@]}" libgtest-dev xvfb xdotool clang libclang-rt-14-dev exfatprogs exfat-fuse fuse3 procps)
# The drive folder's tests: the libraries of a desktop without Qt, which they show it alone.
drive=(libgtk-3-0 libegl1 libgl1 libsm6 libice6 libdbus-1-3 fonts-dejavu-core)
screenshots=("${build[@]}" xvfb xdotool imagemagick xfwm4 dbus-x11)
# The log-off tests: real session managers and private D-Bus daemons.
session=(xfce4-session xfwm4 xfconf dbus-x11 dbus-daemon dbus-bin gnome-session-bin x11-utils)
windows=(cmake make g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 googletest wine64 fonts-wine xvfb icoutils)
bench=("${build[@]}" libxdamage-dev xvfb xdotool valgrind dbus-daemon binutils procps exfatprogs exfat-fuse fuse3)

usage="usage: $0 [--list] run|test|drive|windows|screenshots|bench..."
list=
[[ ${1:-} == --list ]] && list=1 && shift
[[ $# -gt 0 ]] || { echo "$usage" >&2; exit 2; }
wanted=()
for task in "$@"; do
    case "$task" in
        run) wanted+=("${run[@]}") ;;
        test) wanted+=("${test[@]}" "${drive[@]}" "${session[@]}" "${windows[@]}") ;;
        drive) wanted+=("${drive[@]}") ;;
        windows) wanted+=("${windows[@]}") ;;
        screenshots) wanted+=("${screenshots[@]}") ;;
        bench) wanted+=("${bench[@]}") ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
[[ -n $list ]] && { printf '%s\n' "${wanted[@]}"; exit 0; }

missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
