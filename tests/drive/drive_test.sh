#!/usr/bin/env bash
# The drive folder, installed as scripts/build-drive.sh makes it, on a
# desktop without Qt: a mount namespace shows the program only the folder's
# libraries and those of a GTK desktop (the packages below, what they depend
# on, and Debian's required packages); every other library of this machine,
# Qt's first, is hidden.
# Usage: drive_test.sh CMAKE BUILD_DIR CASE
#   CASE: libraries    every file of the folder finds what it needs, needs no
#                      glibc newer than 2.35, and no C or C++ runtime is in it
#         launcher     Nagwick started with sh nagwick.sh, from a copy whose
#                      files have no execute bits (FAT32 as desktops mount it)
#         direct|link  by its path, or through a symbolic link elsewhere
# Exits 77 (skipped) without the desktop's packages or mount namespaces.
set -euo pipefail
cmake=$1 build=$2 case_name=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/xvfb_session.sh"

libs=/usr/lib/x86_64-linux-gnu
desktop=(libgtk-3-0 libegl1 libgl1 libsm6 libice6 libdbus-1-3 fonts-dejavu-core)
for package in "${desktop[@]}"; do
    dpkg-query -W "$package" >/dev/null 2>&1 || skip "$package is not installed"
done
for tool in Xvfb xdotool unshare objdump; do
    type -P "$tool" >/dev/null || skip "$tool is not installed"
done
namespace=()
for flags in "--mount" "--user --map-root-user --mount"; do
    # shellcheck disable=SC2086
    unshare $flags true 2>/dev/null && { read -ra namespace <<<"$flags"; break; }
done
[[ ${#namespace[@]} -gt 0 ]] || skip "cannot create a mount namespace"

work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
folder="$work/flash drive"
"$cmake" --install "$build" --component drive --prefix "$folder" >/dev/null

# The desktop's view of $libs: links to the files of its packages only.
mkdir "$work/libs" "$work/system-libs"
{
    apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
        --no-breaks --no-replaces --no-enhances "${desktop[@]}" | grep '^[a-z]'
    dpkg-query -W -f '${Package} ${Priority}\n' | awk '$2 == "required" { print $1 }'
} | sort -u | { xargs dpkg -L 2>/dev/null || true; } |
    sed -n "s|^\(/usr\)\?/lib/x86_64-linux-gnu/\([^/]*\).*|\2|p" | sort -u |
    while read -r entry; do ln -s "$work/system-libs/$entry" "$work/libs/$entry"; done
# Followed by a command: runs it on that view.
on_desktop=(unshare "${namespace[@]}" sh -c 'mount --bind "$1" "$2" && mount --bind "$3" "$1" && shift 3 && exec "$@"'
    sh "$libs" "$work/system-libs" "$work/libs")

cd "$folder"
if [[ $case_name == libraries ]]; then
    elf_files=(nagwick nagwick-lib/*.so* nagwick-lib/plugins/*/*.so)
    # The plugins and libraries are loaded into the program, under its RPATH.
    found=$("${on_desktop[@]}" env LD_LIBRARY_PATH="$folder/nagwick-lib" ldd "${elf_files[@]}")
    ! grep -q "not found" <<<"$found" || fail "$(grep -e ':$' -e 'not found' <<<"$found")"
    newest=$(objdump -T "${elf_files[@]}" | grep -o 'GLIBC_2\.[0-9]*' | sort -V | tail -n1)
    [[ $(printf '%s\n' "$newest" GLIBC_2.35 | sort -V | tail -n1) == GLIBC_2.35 ]] || fail "needs $newest"
    ! ls nagwick-lib | grep -E '^(ld-linux|lib(c|m|stdc\+\+|gcc_s)\.so)' || fail "carries a C or C++ runtime"
    echo "PASS: $case_name"
    exit 0
fi

case "$case_name" in
launcher)
    find . -type f -exec chmod a-x {} +
    start=(sh "$folder/nagwick.sh")
    ;;
direct) start=("$folder/nagwick") ;;
link)
    mkdir "$work/elsewhere"
    ln -s "$folder/nagwick" "$work/elsewhere/nagwick"
    start=("$work/elsewhere/nagwick")
    ;;
*) fail "unknown case $case_name" ;;
esac
make_file_manager_stand_in "$work"
mkdir -m 700 "$work/run"
start_xvfb
# As a Wayland session may ask of Qt: the folder's Qt runs on X11 all the same.
(cd "$work" && exec "${on_desktop[@]}" env PATH="$work/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
    XDG_RUNTIME_DIR="$work/run" XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland "${start[@]}") \
    >"$work/log" 2>&1 &
nagwick_pid=$!
wait_for window_shown Nagwick || fail "the main window did not appear: $(cat "$work/log")"
# No settings file: the file manager opens on the drive folder.
wait_for test -s "$work/opened" || fail "the file manager was not started"
[[ $(cat "$work/opened") == "$folder" ]] || fail "opened '$(cat "$work/opened")', expected '$folder'"
[[ -z $(ls -A "$work/run") ]] || fail "the local copy is left: $(ls "$work/run")"
kill -TERM "$nagwick_pid"
dismiss_warning
expect_exit_status 0 "$work/log"
echo "PASS: $case_name"
