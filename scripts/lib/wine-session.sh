#!/usr/bin/env bash
# A private Wine session for the Windows tests and screenshots: its own X server (Xvfb), its
# own prefix with a virtual desktop (windows hide and close at once, with no
# window manager), MS Sans Serif in the prefix, and two drives: R: (an empty
# folder, to run from a drive's root) and, where it may mount (as root), F:
# (a full one, holding a nagwick.ini).
#
#   wine-session.sh start DIR   makes DIR/prefix and DIR/env (sourced by wine-run.sh)
#   wine-session.sh stop DIR    stops that prefix's wineserver and X server, removes the prefix
set -euo pipefail
[[ $# -eq 2 && $1 =~ ^(start|stop)$ ]] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
dir=$(realpath -m "$2")
export PATH=/usr/lib/wine:$PATH  # where Debian keeps wine64 and wineserver
wine=$(command -v wine64 || command -v wine)

stop() {
    if [[ -f $dir/env ]]; then
        # shellcheck disable=SC1091
        source "$dir/env"
        timeout 30 wineserver -k >/dev/null 2>&1 || true
        timeout 30 wineserver -w >/dev/null 2>&1 || true
    fi
    kill "$(cat "$dir/xvfb.pid" 2>/dev/null)" 2>/dev/null || true
    umount "$dir/drive-full" 2>/dev/null || true
    rm -rf "$dir/prefix" "$dir/env" "$dir/display" "$dir/xvfb.pid" "$dir"/drive-*
}

start() {
    stop
    mkdir -p "$dir"
    # The X server chooses a free display and writes its number. -noreset:
    # a reset between two programs can leave the next one waiting for ever.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/xvfb.pid"
    timeout 10 sh -c "until [ -s '$dir/display' ]; do sleep 0.1; done" || { echo "Xvfb did not start" >&2; exit 1; }

    # A UTF-8 locale: Wine names Unix files in the locale's character set,
    # and without one it can't create folders such as "Ωμέγα テスト".
    cat >"$dir/env" <<ENV
export WINEPREFIX='$dir/prefix' WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
export DISPLAY=':$(tr -d '\n' <"$dir/display")' LANG=C.UTF-8 LC_ALL=C.UTF-8
ENV
    # shellcheck disable=SC1091
    source "$dir/env"
    # Wine finds Debian's fonts-wine (MS Sans Serif) only in the prefix.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Wine's background processes keep the output they were started with:
    # nothing of theirs may reach the caller's pipes.
    timeout 180 "$wine" wineboot -i </dev/null >/dev/null 2>&1
    for key in 'Explorer /v Desktop /d Default' 'Explorer\Desktops /v Default /d 1024x768'; do
        # shellcheck disable=SC2086
        timeout 60 "$wine" reg add "HKCU\\Software\\Wine\\"$key /f </dev/null >/dev/null 2>&1
    done
    mkdir -p "$dir/drive-root" "$dir/drive-full"
    ln -s "$dir/drive-root" "$WINEPREFIX/dosdevices/r:"
    if mount -t tmpfs -o size=64k nagwick-full "$dir/drive-full" 2>/dev/null; then
        ln -s "$dir/drive-full" "$WINEPREFIX/dosdevices/f:"
        printf '[main]\r\nexplorer=true\r\n' >"$dir/drive-full/nagwick.ini"
        dd if=/dev/zero of="$dir/drive-full/filler" bs=4k status=none 2>/dev/null || true
    fi
    timeout 60 wineserver -w
    # One server for the whole run: left alone it ends a few seconds after
    # its last client, and a test starting then loses its connection.
    wineserver -p </dev/null >/dev/null 2>&1
}

"$1"
