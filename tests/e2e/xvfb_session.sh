# Sourced by the end-to-end scripts: a private Xvfb on a free display, and
# the steps they share in driving the program on it. Each script stops what
# it started in its own exit trap.
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

# Exit status 77: ctest reports the test as skipped.
skip() {
    echo "SKIP: $*"
    exit 77
}

# For wait_for: the process PID has ended.
not_running() { ! kill -0 "$1" 2>/dev/null; }

# Waits for the program started as $nagwick_pid to end and checks its exit
# status; when it is wrong, the program's output in LOG is shown.
expect_exit_status() {  # STATUS LOG
    local status=0
    wait_for not_running "$nagwick_pid" ||
        fail "still running$(window_shown 'Remove flash drive' && echo ', showing a box')"
    wait "$nagwick_pid" || status=$?
    nagwick_pid=
    [[ $status -eq $1 ]] || { cat "$2" >&2; fail "exit status $status, expected $1"; }
}

# FILE holds exactly TEXT, byte for byte.
same_bytes() {  # FILE TEXT
    [[ "$(cat "$1"; printf x)" == "${2}x" ]] || fail "$1 holds: $(od -c "$1" | head -20)"
}

# A stand-in file manager in DIR/bin, to put first on PATH: it records the
# folder it was asked to open in DIR/opened, and where it was started in
# DIR/opened-in.
make_file_manager_stand_in() {  # DIR
    mkdir -p "$1/bin"
    cat >"$1/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >>"$1/opened"
pwd >"$1/opened-in"
SCRIPT
    chmod +x "$1/bin/xdg-open"
}

# The main window's buttons, in pixels inside it (at 96 DPI: 15 twips a pixel).
click_button() {  # WINDOW X Y
    xdotool mousemove --window "$1" "$2" "$3" click 1
}
click_exit() { click_button "$1" 320 184; }  # Exit: 4200,2520 twips, 1215 x 495
click_hide() { click_button "$1" 192 184; }  # Hide: 2280,2520 twips

# Opens the options dialog from the main window WINDOW with the keyboard.
open_options() {  # WINDOW
    xdotool windowfocus --sync "$1"
    xdotool key Tab Tab space  # Exit -> Hide -> Options, pressed
    wait_for window_shown "Nagwick options" || fail "the options dialog did not open"
}

# Waits for the warning box and dismisses it with the Enter key.
dismiss_warning() {
    wait_for window_shown "Remove flash drive" || fail "no warning box"
    xdotool windowfocus --sync "$(window_named "Remove flash drive")"
    xdotool key Return
}
