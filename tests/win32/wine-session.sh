#!/usr/bin/env bash
# A private Wine session for the Windows tests: its own X server (Xvfb), its
# own prefix with a virtual desktop (windows hide and close at once, with no
# window manager), and MS Sans Serif installed in the prefix.
#
#   wine-session.sh start DIR   makes DIR/prefix and DIR/env (sourced by wine-run.sh)
#   wine-session.sh stop DIR    stops that prefix's wineserver and X server, removes the prefix
set -euo pipefail

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
wineserver=/usr/lib/wine/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)

usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
[[ $# -eq 2 ]] || usage
action=$1
dir=$(realpath -m "$2")

stop() {
    if [[ -f $dir/env ]]; then
        # shellcheck disable=SC1091
        source "$dir/env"
        timeout 30 "$wineserver" -k >/dev/null 2>&1 || true
        timeout 30 "$wineserver" -w >/dev/null 2>&1 || true
    fi
    if [[ -f $dir/xvfb.pid ]]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
        rm -f "$dir/xvfb.pid"
    fi
    rm -rf "$dir/prefix" "$dir/env" "$dir/display" "$dir/drive-r"
}

start() {
    stop
    mkdir -p "$dir"
    # The X server chooses a free display and writes its number. -noreset:
    # Wine's programs come and go, and a reset between them can leave the
    # next one's connection waiting for ever.
    : >"$dir/display"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 100); do
        [[ -s $dir/display ]] && break
        sleep 0.1
    done
    [[ -s $dir/display ]] || { echo "Xvfb did not start" >&2; exit 1; }

    cat >"$dir/env" <<ENV
export WINEPREFIX='$dir/prefix'
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
export DISPLAY=':$(tr -d '\n' <"$dir/display")'
export NAGWICK_WINE='$wine'
ENV
    # shellcheck disable=SC1091
    source "$dir/env"
    # Wine finds the fonts of Debian's fonts-wine (MS Sans Serif, Tahoma,
    # Marlett) only in the prefix's own font folder.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Wine's background processes keep the output they were started with:
    # nothing of theirs may reach the caller's pipes.
    timeout 180 "$wine" wineboot -i </dev/null >/dev/null 2>&1
    timeout 60 "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    timeout 60 "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    # Drive R: for running from a drive's root.
    mkdir -p "$dir/drive-r"
    ln -sfn "$dir/drive-r" "$WINEPREFIX/dosdevices/r:"
    timeout 60 "$wineserver" -w
    # One server for the whole run: left to itself it ends a few seconds
    # after its last client, and a test starting at that moment loses its
    # connection ("recvmsg: Connection reset by peer").
    "$wineserver" -p </dev/null >/dev/null 2>&1
}

case $action in
    start) start ;;
    stop) stop ;;
    *) usage ;;
esac
