# Sourced by the end-to-end tests, the benchmark and the screenshots: a
# private Xvfb on a free display, and the steps they share in driving the
# program on it.
start_xvfb() {  # -noreset: a client connecting while Xvfb resets (its last client gone) can wait for ever
    local fifo display
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r -t 20 display <"$fifo" && rm -f "$fifo" || fail "Xvfb did not start"
    export DISPLAY=":$display"
}
stop_xvfb() { kill -CONT "${XVFB_PID:-}" 2>/dev/null && kill "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null; return 0; }
fail() { echo "FAIL: $*" >&2 && exit 1; }
skip() { echo "SKIP: $*" && exit 77; }  # ctest reports the test as skipped
# No X tool may hang a test: a stuck one fails its step instead.
xdotool() { timeout 20 xdotool "$@"; }
wait_for() {  # COMMAND...: retried until it succeeds, for up to WAIT_SECONDS (15)
    local deadline=$((SECONDS + ${WAIT_SECONDS:-15}))
    until "$@" >/dev/null 2>&1; do ((SECONDS < deadline)) && sleep 0.1 || return 1; done
}
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 | grep .; }  # its id
window_shown() { window_named "$1" >/dev/null; }
window_gone() { ! window_named "$1" >/dev/null; }
# The program, started as $nagwick_pid, ends with STATUS; else its output in LOG is shown.
expect_exit_status() {  # STATUS LOG
    local status=0
    wait_for eval '! kill -0 $nagwick_pid' || fail "still running$(window_shown 'Remove flash drive' && echo ', showing a box')"
    wait "$nagwick_pid" || status=$?
    nagwick_pid=
    [[ $status -eq $1 ]] || { cat "$2" >&2; fail "exit status $status, expected $1"; }
}
same_bytes() { [[ "$(cat "$1"; printf x)" == "${2}x" ]] || fail "$1 holds: $(od -c "$1" | head -20)"; }  # FILE TEXT
# A stand-in file manager in DIR/bin, for PATH: it writes the folder it opens
# to DIR/opened, the folder it was started in to DIR/opened-in, and the
# signals it was started with blocked to DIR/opened-blocked (hexadecimal).
make_file_manager_stand_in() {  # DIR
    mkdir -p "$1/bin"
    printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened"; pwd >"%s/opened-in"\n' "$1" "$1" >"$1/bin/xdg-open"
    # Read by the shell itself: it blocks every signal while it starts a command.
    printf 'while read -r key mask; do [ "$key" != SigBlk: ] || echo "$mask" >"%s/opened-blocked"; done </proc/$$/status\n' \
        "$1" >>"$1/bin/xdg-open"
    chmod +x "$1/bin/xdg-open"
}
# The main window's buttons, in pixels inside it at 96 DPI (15 twips a pixel).
click_exit() { xdotool mousemove --window "$1" 320 184 click 1; }  # 4200,2520 twips, 1215 x 495
click_hide() { xdotool mousemove --window "$1" 192 184 click 1; }  # 2280,2520 twips
open_options() {  # from the main window WINDOW, with the keyboard: Exit, Hide, Options
    xdotool windowfocus --sync "$1" key Tab Tab space
    wait_for window_shown "Nagwick options" || fail "the options dialog did not open"
}
dismiss_warning() {  # with the Enter key
    wait_for window_shown "Remove flash drive" || fail "no warning box"
    xdotool windowfocus --sync "$(window_named "Remove flash drive")" key Return
}
