#!/usr/bin/env bash
# The built program inside a real desktop session under Xvfb, logged off by
# the real session manager: the warning must be on screen while the session
# manager still runs, the log-off must wait for it, and once it is dismissed
# the program ends with status 0 and the session ends.
#
# Usage: session_e2e.sh NAGWICK DESKTOP CASE [XSMP_CANCEL]
#   DESKTOP: xfce        xfce4-session (XSMP)
#            gnome       gnome-session, the program on its D-Bus protocol
#                        (as under Wayland: no SESSION_MANAGER)
#            gnome-xsmp  gnome-session, the program on XSMP (GNOME on Xorg)
#   CASE:    shown | hidden | options | cancelled (xfce only; needs XSMP_CANCEL)
#            gone | gone-warning (xfce only): the session manager ends (after
#            the program has answered a save, or while the warning shows)
# Exits 77 (skipped) when a needed program or namespaces are missing.
set -euo pipefail
nagwick_binary=$1 desktop=$2 case_name=$3 xsmp_cancel=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/xvfb_session.sh"

needed=(Xvfb xdotool dbus-daemon dbus-run-session dbus-send unshare)
case "$desktop" in
xfce) needed+=(xfce4-session xfce4-session-logout xfwm4) ;;
gnome | gnome-xsmp) needed+=(/usr/libexec/gnome-session-binary gnome-session-quit) ;;
*) echo "unknown desktop $desktop" >&2; exit 2 ;;
esac
for program in "${needed[@]}"; do
    type -P "$program" >/dev/null || skip "$program is not installed"
done
if [[ $case_name == cancelled ]]; then
    [[ $desktop == xfce ]] || { echo "cancelled runs on xfce only" >&2; exit 2; }
    [[ -x $xsmp_cancel ]] || skip "the XSMP canceller was not built (libsm-dev is missing)"
fi

# Everything runs in namespaces of its own: a fresh PID namespace (with its
# own /proc), so that whatever the session starts ends with this script; a
# private /tmp/.ICE-unix and network namespace, since session managers name
# their sockets by PID.
if [[ -z ${NAGWICK_SESSION_NS:-} ]]; then
    export NAGWICK_SESSION_NS=1
    for flags in "" "--user --map-root-user"; do
        # shellcheck disable=SC2086
        if unshare $flags --pid --fork --kill-child --mount-proc --net true 2>/dev/null; then
            # shellcheck disable=SC2086
            exec unshare $flags --pid --fork --kill-child --mount-proc --net "$0" "$@"
        fi
    done
    skip "cannot create PID, mount and network namespaces"
fi
mkdir -p -m 1777 /tmp/.ICE-unix
mount -t tmpfs -o mode=1777 tmpfs /tmp/.ICE-unix || fail "cannot mount a private /tmp/.ICE-unix"

# For a build with AddressSanitizer: a leak inside libSM is not the program's.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

work=$(mktemp -d)
cleanup() {
    # As the init of its own PID namespace, -1 is every other process in it.
    if (($$ == 1)); then
        kill -KILL -1 2>/dev/null || true
        wait 2>/dev/null || true
    else
        stop_xvfb
    fi
    rm -rf "$work"
}
trap cleanup EXIT

app="$work/flash drive"
mkdir -p "$app" "$work/home" "$work/run" "$work/config/autostart" "$work/config-dirs" \
    "$work/data/applications"
chmod 700 "$work/run"
cp "$nagwick_binary" "$app/nagwick"
printf '[main]\nexplorer=false\n' >"$app/nagwick.ini"

export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_CONFIG_DIRS="$work/config-dirs" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/data" XDG_SESSION_TYPE=x11
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS DESKTOP_AUTOSTART_ID XDG_CURRENT_DESKTOP
start_xvfb

# Started by the session like any of its programs: writes the environment the
# session gives them, then waits.
probe_command="sh -c 'env >\"$work/session.env.tmp\" && mv \"$work/session.env.tmp\" \"$work/session.env\"; exec sleep 600'"

start_xfce() {
    # A session of the window manager only, without the agents it may start.
    mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-session.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-session" version="1.0">
  <property name="general" type="empty">
    <property name="FailsafeSessionName" type="string" value="Failsafe"/>
  </property>
  <property name="startup" type="empty">
    <property name="ssh-agent" type="empty"><property name="enabled" type="bool" value="false"/></property>
    <property name="gpg-agent" type="empty"><property name="enabled" type="bool" value="false"/></property>
  </property>
  <property name="sessions" type="empty">
    <property name="Failsafe" type="empty">
      <property name="IsFailsafe" type="bool" value="true"/>
      <property name="Count" type="int" value="1"/>
      <property name="Client0_Command" type="array"><value type="string" value="xfwm4"/></property>
      <property name="Client0_Priority" type="int" value="15"/>
      <property name="Client0_PerScreen" type="bool" value="false"/>
    </property>
  </property>
</channel>
XML
    cat >"$XDG_CONFIG_HOME/autostart/nagwick-probe.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Session probe
Exec=$probe_command
DESKTOP
    dbus-run-session -- xfce4-session >"$work/session.log" 2>&1 &
    session_pid=$!
}

start_gnome() {
    # GNOME's session manager needs a system bus; this one is private.
    cat >"$work/system-bus.conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
XML
    dbus-daemon --config-file="$work/system-bus.conf" --nofork >/dev/null 2>&1 &
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
    wait_for test -S "$work/system_bus_socket" || fail "the system bus did not start"
    # A session without a shell: the probe is its one required component.
    mkdir -p "$XDG_CONFIG_HOME/gnome-session/sessions"
    cat >"$XDG_CONFIG_HOME/gnome-session/sessions/nagwick-test.session" <<'SESSION'
[GNOME Session]
Name=Nagwick test session
RequiredComponents=nagwick-probe;
SESSION
    cat >"$XDG_DATA_HOME/applications/nagwick-probe.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Session probe
Exec=$probe_command
X-GNOME-AutoRestart=false
DESKTOP
    dbus-run-session -- /usr/libexec/gnome-session-binary --builtin --session=nagwick-test \
        >"$work/session.log" 2>&1 &
    session_pid=$!
}

session_running() { kill -0 "$session_pid" 2>/dev/null; }
session_ended() { ! session_running; }

session_failed() {
    cat "$work/session.log" >&2
    fail "$*"
}

# The value of VARIABLE in the session's environment.
session_env() {
    sed -n "s/^$1=//p" "$work/session.env" | head -n1
}

# xfce4-session's state: 3 while clients save (the log-off can still be
# cancelled), 4 once it has told them to die.
xfce_state() {
    dbus-send --session --print-reply --dest=org.xfce.SessionManager /org/xfce/SessionManager \
        org.xfce.Session.Manager.GetState | sed -n 's/^ *uint32 //p'
}

xfce_idle() { [[ $(xfce_state) == 1 ]]; }

# Whether a client waits for its turn to interact with the user (state 5).
xfce_client_waits_to_interact() {
    local client
    for client in $(dbus-send --session --print-reply --dest=org.xfce.SessionManager \
        /org/xfce/SessionManager org.xfce.Session.Manager.ListClients |
        sed -n 's/.*object path "\(.*\)"/\1/p'); do
        dbus-send --session --print-reply --dest=org.xfce.SessionManager "$client" \
            org.xfce.Session.Client.GetState | grep -q 'uint32 5$' && return 0
    done
    return 1
}

# Saves the session as it stands, as "Save session" in the settings does.
xfce_checkpoint() {
    dbus-send --session --print-reply --dest=org.xfce.SessionManager /org/xfce/SessionManager \
        org.xfce.Session.Manager.Checkpoint string: >/dev/null
}

saved_in_session() {
    # (The window manager's own state file may name its window; that's not it.)
    grep -qs nagwick "$XDG_CACHE_HOME"/sessions/xfce4-session-*
}

gnome_call() {  # METHOD ARGS...: a call on GNOME's session manager
    local method=$1
    shift
    dbus-send --session --print-reply --dest=org.gnome.SessionManager /org/gnome/SessionManager \
        "org.gnome.SessionManager.$method" "$@"
}

gnome_log_out_inhibited() {
    gnome_call IsInhibited uint32:1 | grep -q 'boolean true'
}

# The reasons of all of GNOME's inhibitors, one a line.
gnome_inhibitor_reasons() {
    local inhibitor
    for inhibitor in $(gnome_call GetInhibitors | sed -n 's/.*object path "\(.*\)"/\1/p'); do
        dbus-send --session --print-reply --dest=org.gnome.SessionManager "$inhibitor" \
            org.gnome.SessionManager.Inhibitor.GetReason | sed -n 's/^ *string "\(.*\)"$/\1/p'
    done
}

case "$desktop" in
xfce) start_xfce ;;
gnome | gnome-xsmp) start_gnome ;;
esac
WAIT_SECONDS=30 wait_for test -f "$work/session.env" || session_failed "the session did not start its programs"
DBUS_SESSION_BUS_ADDRESS=$(session_env DBUS_SESSION_BUS_ADDRESS)
export DBUS_SESSION_BUS_ADDRESS
session_manager=$(session_env SESSION_MANAGER)
[[ -n $session_manager ]] || session_failed "the session set no SESSION_MANAGER"
# The program on GNOME's D-Bus protocol sees no XSMP session, as on Wayland.
[[ $desktop == gnome ]] && session_manager=

nagwick_pid=
start_nagwick() {
    SESSION_MANAGER=$session_manager QT_QPA_PLATFORM=xcb "$app/nagwick" >"$work/nagwick.log" 2>&1 &
    nagwick_pid=$!
    wait_for window_shown Nagwick || fail "the main window did not appear"
    main_window=$(window_named Nagwick)
}

nagwick_running() { kill -0 "$nagwick_pid" 2>/dev/null; }

# All visible warning boxes, one id a line.
warning_boxes() {
    xdotool search --onlyvisible --name '^Remove flash drive$' 2>/dev/null || true
}

warning_shown() { [[ -n $(warning_boxes) ]]; }

# Waits for the program's warning box and checks that it is the only one.
expect_warning() {
    wait_for warning_shown || { cat "$work/nagwick.log" >&2; fail "no warning box"; }
    box=$(warning_boxes)
    [[ $(wc -l <<<"$box") -eq 1 ]] || fail "more than one warning box"
    [[ $(xdotool getwindowpid "$box") == "$nagwick_pid" ]] || fail "the box is not the program's"
}

box_gone() { ! grep -qx "$box" <<<"$(warning_boxes)"; }

# Waits for the program's end with status 0; fails on a second warning.
expect_end_without_second_warning() {
    local deadline=$((SECONDS + 15))
    while nagwick_running; do
        [[ -z $(warning_boxes) ]] || fail "a second warning box"
        ((SECONDS < deadline)) || fail "the program did not end"
        sleep 0.1
    done
    expect_exit_status 0 "$work/nagwick.log"
}

log_off() {
    case "$desktop" in
    xfce) xfce4-session-logout --logout >/dev/null 2>&1 & ;;
    gnome | gnome-xsmp) gnome-session-quit --logout --no-prompt >/dev/null 2>&1 & ;;
    esac
}

# A log-off that another client cancels while the program waits for its turn
# to interact, before any warning: the program stays as it was, armed.
# Ends the session manager at once, as a crash would; the program must outlive it.
end_session_manager() {
    pkill -KILL -x xfce4-session || fail "no xfce4-session to end"
    wait_for session_ended || fail "the session did not end with its manager"
    sleep 1
    if ! nagwick_running; then
        local status=0
        wait "$nagwick_pid" || status=$?
        cat "$work/nagwick.log" >&2
        fail "the program ended (status $status) when the session manager went"
    fi
}

# The CPU time the program has used, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$nagwick_pid/stat"; }

log_off_cancelled() {
    # The canceller gets to interact first (the program is stopped meanwhile),
    # the program asks to interact after it, and while it waits its turn the
    # canceller cancels the log-off.
    kill -STOP "$nagwick_pid"
    log_off
    wait_for grep -q '^interacting' "$work/cancel.log" || fail "the canceller got no turn to interact"
    kill -CONT "$nagwick_pid"
    wait_for xfce_client_waits_to_interact || fail "the program did not ask to interact"
    touch "$work/go"
    wait "$canceller_pid" || fail "the canceller failed: $(cat "$work/cancel.log")"
    wait_for xfce_idle || fail "the log-off was not cancelled"
    sleep 1
    [[ -z $(warning_boxes) ]] || fail "a cancelled log-off showed the warning"
    nagwick_running || fail "a cancelled log-off ended the program"
    window_shown Nagwick || fail "a cancelled log-off took the window"
}

if [[ $case_name == cancelled ]]; then
    SESSION_MANAGER=$session_manager "$xsmp_cancel" "$work/go" >"$work/cancel.log" 2>&1 &
    canceller_pid=$!
    wait_for grep -q '^connected' "$work/cancel.log" || fail "the canceller did not connect"
fi
start_nagwick
if [[ $desktop == xfce ]]; then
    # Never saved into the session: it would be started again from the drive
    # at the next log-in. A save that is no log-off shows nothing.
    wait_for xfce_idle || fail "xfce4-session is not idle"
    xfce_checkpoint
    wait_for xfce_idle || fail "the session was not saved"
    [[ -f $(echo "$XDG_CACHE_HOME"/sessions/xfce4-session-*) ]] || fail "no session file"
    ! saved_in_session || fail "the program was saved in the session"
    [[ -z $(warning_boxes) ]] || fail "saving the session showed the warning"
fi
if [[ $desktop == gnome ]]; then
    # Registered, with the log-out held by the program's inhibitor.
    wait_for gnome_log_out_inhibited || fail "no log-out inhibitor"
    [[ $(gnome_inhibitor_reasons) == "Remove your flash drive!" ]] ||
        fail "inhibitor reasons: $(gnome_inhibitor_reasons)"
fi

case "$case_name" in
shown) ;;
hidden)
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    ;;
options)
    open_options "$main_window"
    ;;
cancelled) log_off_cancelled ;;
gone)
    # The program has answered the checkpoint's save; now the session
    # manager ends, and its connection with it. The program runs on, idle
    # and armed: a signal still brings the warning.
    end_session_manager
    ticks=$(cpu_ticks)
    sleep 2
    (($(cpu_ticks) - ticks < 50)) || fail "the program spins after the session manager ended"
    window_shown Nagwick || fail "the window went with the session manager"
    kill -TERM "$nagwick_pid"
    expect_warning
    dismiss_warning
    expect_end_without_second_warning
    echo "PASS: $desktop $case_name"
    exit 0
    ;;
gone-warning) ;;
*) fail "unknown case $case_name" ;;
esac
# (After a cancelled one, this is the next log-off.)
log_off

expect_warning
# The log-off waits for the box (longer than GNOME's one-second query), in
# the phase where clients save, not after the session manager's Die.
sleep 2
session_running || fail "the session ended while the warning was on screen"
if [[ $desktop == xfce ]]; then
    [[ $(xfce_state) == 3 ]] || fail "the warning came after the save phase (state $(xfce_state))"
fi
[[ $(warning_boxes) == "$box" ]] || fail "the warning box went away by itself"
# The dialog is unloaded first; the main window stays until the box is
# dismissed, hidden if it was.
window_gone "Nagwick options" || fail "the options dialog is still open"
if [[ $case_name == hidden ]]; then
    window_gone Nagwick || fail "the hidden main window came back"
else
    window_shown Nagwick || fail "the main window went before the warning was dismissed"
fi

if [[ $case_name == gone-warning ]]; then
    end_session_manager
    [[ $(warning_boxes) == "$box" ]] || fail "the warning went with the session manager"
fi
dismiss_warning
wait_for box_gone || fail "Return did not dismiss the warning"
expect_end_without_second_warning
WAIT_SECONDS=20 wait_for session_ended || session_failed "the session did not end"

if [[ $desktop == xfce ]]; then
    ! saved_in_session || fail "the program was saved in the session at log-off"
fi
echo "PASS: $desktop $case_name"
