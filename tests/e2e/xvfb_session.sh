# Sourced by the end-to-end scripts: a private Xvfb on a free display,
# stopped with everything else the script started when it exits.
start_xvfb() {
    local fifo display_number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # -noreset: when its last client leaves (the end of a session), Xvfb
    # would reset itself, and a client connecting meanwhile can wait for its
    # connection's setup for ever.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r -t 20 display_number <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
    rm -f "$fifo"
    export DISPLAY=":$display_number"
}

stop_xvfb() {
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    return 0
}

# No X tool may hang a test: a stuck one fails its step instead.
xdotool() { timeout 20 xdotool "$@"; }

# wait_for CONDITION-COMMAND... : retries for up to WAIT_SECONDS (default 15).
wait_for() {
    local deadline=$((SECONDS + ${WAIT_SECONDS:-15}))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# The id of the visible window whose title is exactly TITLE; fails when there is none.
window_named() {
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [[ -n "$id" ]] && echo "$id"
}

# For wait_for: a window with that title is on screen, or none is.
window_shown() { window_named "$1" >/dev/null; }
window_gone() { ! window_named "$1" >/dev/null; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
