#!/usr/bin/env bash
# The built program in a real desktop session under Xvfb, logged off by the
# real session manager: the warning is on screen while the session manager
# still runs and the log-off waits for it; once it is dismissed the program
# ends with status 0 and the session ends.
# Usage: session_e2e.sh NAGWICK DESKTOP CASE
#   DESKTOP: xfce (XSMP) | gnome (its D-Bus protocol, as on Wayland) | gnome-xsmp (GNOME on Xorg)
#   CASE:    shown | hidden | options
#            gone | gone-warning (xfce): the session manager dies after the
#            program answered a save, or while the warning shows
#            minimized: start=minimized starts it iconic (under xfwm4 on xfce;
#            no window manager on gnome); restored, Return presses Exit
set -euo pipefail
binary=$1 desktop=$2 case_name=$3
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
needed=(xfce4-session xfce4-session-logout xfwm4)
[[ $desktop == xfce ]] || needed=(/usr/libexec/gnome-session-binary gnome-session-quit)
for program in Xvfb xdotool xprop dbus-daemon dbus-run-session dbus-send unshare "${needed[@]}"; do
    type -P "$program" >/dev/null || skip "$program is not installed"
done

# Namespaces of its own: whatever the session starts ends with this script
# (PID), and session managers, which name their sockets by PID, meet no
# others (network, a private /tmp/.ICE-unix).
if [[ -z ${NAGWICK_SESSION_NS:-} ]]; then
    export NAGWICK_SESSION_NS=1
    for flags in "" "--user --map-root-user"; do
        # shellcheck disable=SC2086
        unshare $flags --pid --fork --kill-child --mount-proc --net true 2>/dev/null &&
            exec unshare $flags --pid --fork --kill-child --mount-proc --net "$0" "$@"
    done
    skip "cannot create PID, mount and network namespaces"
fi
mkdir -p -m 1777 /tmp/.ICE-unix
mount -t tmpfs -o mode=1777 tmpfs /tmp/.ICE-unix || fail "cannot mount a private /tmp/.ICE-unix"

work=$(mktemp -d)
trap 'kill -KILL -1 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT  # -1: all else in this PID namespace
app="$work/flash drive"
mkdir -p "$app" "$work/config/autostart" "$work/config/gnome-session/sessions" "$work/data/applications" \
    "$work/config/xfce4/xfconf/xfce-perchannel-xml" && mkdir -m 700 "$work/run"
cp "$binary" "$app/nagwick"
printf '[main]\nexplorer=false\n' >"$app/nagwick.ini"
[[ $case_name != minimized ]] || echo start=minimized >>"$app/nagwick.ini"
export HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/none"
export XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data" XDG_SESSION_TYPE=x11
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS DESKTOP_AUTOSTART_ID XDG_CURRENT_DESKTOP
start_xvfb

# Started by the session like any of its programs: writes down the environment it gives them.
probe=$'[Desktop Entry]\nType=Application\nName=Probe\nX-GNOME-AutoRestart=false\n'
probe+="Exec=sh -c 'env >\"$work/env.tmp\" && mv \"$work/env.tmp\" \"$work/env\"; exec sleep 600'"
if [[ $desktop == xfce ]]; then
    # A session of the window manager only, without the agents it may start.
    p='<property name'
    cat >"$work/config/xfce4/xfconf/xfce-perchannel-xml/xfce4-session.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-session" version="1.0">$p="general" type="empty">$p="FailsafeSessionName" type="string" value="Failsafe"/></property>
$p="startup" type="empty">$p="ssh-agent" type="empty">$p="enabled" type="bool" value="false"/></property>$p="gpg-agent" type="empty">$p="enabled" type="bool" value="false"/></property></property>
$p="sessions" type="empty">$p="Failsafe" type="empty">$p="IsFailsafe" type="bool" value="true"/>$p="Count" type="int" value="1"/>
$p="Client0_Command" type="array"><value type="string" value="xfwm4"/></property>$p="Client0_Priority" type="int" value="15"/>
$p="Client0_PerScreen" type="bool" value="false"/></property></property></channel>
XML
    session=(xfce4-session) log_off=(xfce4-session-logout --logout)
    echo "$probe" >"$work/config/autostart/probe.desktop"
else
    # GNOME's session manager needs a system bus: a private one, open to all.
    printf '<busconfig><type>system</type><listen>unix:path=%s</listen><auth>EXTERNAL</auth><policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/></policy></busconfig>' \
        "$work/system-bus" >"$work/system-bus.conf"
    dbus-daemon --config-file="$work/system-bus.conf" --nofork >/dev/null 2>&1 &
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system-bus"
    wait_for test -S "$work/system-bus" || fail "the system bus did not start"
    # A session without a shell: the probe is its one required component.
    printf '[GNOME Session]\nName=Test\nRequiredComponents=probe;\n' >"$work/config/gnome-session/sessions/test.session"
    session=(/usr/libexec/gnome-session-binary --builtin --session=test) log_off=(gnome-session-quit --logout --no-prompt)
    echo "$probe" >"$work/data/applications/probe.desktop"
fi
dbus-run-session -- "${session[@]}" >"$work/session.log" 2>&1 &
session_pid=$!
session_running() { kill -0 "$session_pid" 2>/dev/null; }
session_failed() { cat "$work/session.log" >&2 && fail "$*"; }
WAIT_SECONDS=30 wait_for test -f "$work/env" || session_failed "the session did not start its programs"
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 's/^DBUS_SESSION_BUS_ADDRESS=//p' "$work/env")
session_manager=$(sed -n 's/^SESSION_MANAGER=//p' "$work/env")
[[ -n $session_manager ]] || session_failed "the session set no SESSION_MANAGER"
[[ $desktop == gnome ]] && session_manager=  # on GNOME's D-Bus protocol, as on Wayland

call() {  # SERVICE PATH METHOD ARGS...: a session manager's answer, its values only
    dbus-send --session --print-reply --dest="$1" "$2" "$3" "${@:4}" | sed -n '2,$s/^ *[a-z0-9]* //p'
}
xfce() { call org.xfce.SessionManager "${2:-/org/xfce/SessionManager}" "org.xfce.Session.$1" "${@:3}"; }
gnome() { call org.gnome.SessionManager "${2:-/org/gnome/SessionManager}" "org.gnome.SessionManager$1" "${@:3}"; }
# xfce4-session's state: 1 idle, 3 while clients save.
xfce_idle() { [[ $(xfce Manager.GetState) == 1 ]]; }
saved_in_session() { grep -qs nagwick "$XDG_CACHE_HOME"/sessions/xfce4-session-*; }
warning_boxes() { xdotool search --onlyvisible --name '^Remove flash drive$' 2>/dev/null || true; }
end_session_manager() {  # at once, as a crash would: the program outlives it
    pkill -KILL -x xfce4-session || fail "no xfce4-session to end"
    wait_for eval '! session_running' || fail "the session did not end with its manager"
    sleep 1
    kill -0 "$nagwick_pid" 2>/dev/null || { wait "$nagwick_pid" || fail "the program ended with status $? with the session manager"; }
}

SESSION_MANAGER=$session_manager QT_QPA_PLATFORM=xcb "$app/nagwick" >"$work/nagwick.log" 2>&1 &
nagwick_pid=$!
main_window() { xdotool search --all --name --class '^Nagwick$' 2>/dev/null | grep .; }
wait_for main_window || fail "the main window was not made"
main_window=$(main_window)
if [[ $case_name == minimized ]]; then
    # Iconic (and not viewable) as the window manager has it; with none, as the program asks it.
    [[ $desktop == xfce ]] && iconic='window state: Iconic' restore=windowactivate || iconic='Initial state is Iconic State' restore=windowfocus
    wait_for eval 'xprop -id $main_window WM_STATE WM_HINTS | grep -q "$iconic"' && { [[ $desktop != xfce ]] || window_gone Nagwick; } ||
        fail "not iconic: $(xprop -id "$main_window" WM_STATE WM_HINTS)"
    # Restored from the taskbar, with the focus on Exit: Return ends it, with no warning. (Again
    # while it runs: a key that comes before the restored window is ready is dropped.)
    xdotool "$restore" --sync "$main_window"
    wait_for eval 'xdotool windowfocus --sync $main_window key Return; sleep 0.3; ! kill -0 $nagwick_pid'
    expect_exit_status 0 "$work/nagwick.log"
    echo "PASS: $desktop $case_name" && exit 0
fi
wait_for window_shown Nagwick || fail "the main window did not appear"
[[ $desktop != xfce ]] || wait_for eval '[[ $(xdotool getactivewindow) == "$main_window" ]]' || fail "the main window is not active"
if [[ $desktop == xfce ]]; then
    # A saved session is no log-off: nothing is shown, and the program is not
    # saved in it (it would be started again from a gone drive at the next log-in).
    wait_for xfce_idle && xfce Manager.Checkpoint "" string: >/dev/null && wait_for xfce_idle && ! saved_in_session &&
        [[ -z $(warning_boxes) ]] || session_failed "saved in the session, or a warning at a save"
elif [[ $desktop == gnome ]]; then
    wait_for eval '[[ $(gnome .IsInhibited "" uint32:1) == true ]]' || fail "no log-out inhibitor"
    inhibitor=$(gnome .GetInhibitors | grep -o '/org[^"]*')
    [[ $(gnome .Inhibitor.GetReason "$inhibitor") == '"Remove your flash drive!"' ]] || fail "the inhibitor's reason is wrong"
fi

case $case_name in
hidden)
    click_hide "$main_window"
    wait_for window_gone Nagwick || fail "Hide left the window on screen"
    ;;
options) open_options "$main_window" ;;
gone)
    end_session_manager
    ticks() { awk '{print $14 + $15}' "/proc/$nagwick_pid/stat"; }
    before=$(ticks) && sleep 2
    (($(ticks) - before < 50)) || fail "the program spins after the session manager ended"
    window_shown Nagwick || fail "the window went with the session manager"
    kill -TERM "$nagwick_pid"
    ;;
esac

[[ $case_name == gone ]] || "${log_off[@]}" >/dev/null 2>&1 &
wait_for eval '[[ -n $(warning_boxes) ]]' || { cat "$work/nagwick.log" >&2; fail "no warning box"; }
box=$(warning_boxes)
[[ $(wc -l <<<"$box") -eq 1 && $(xdotool getwindowpid "$box") == "$nagwick_pid" ]] || fail "not one box of the program's"
if [[ $case_name != gone ]]; then
    # The log-off waits for the box, in the phase where clients save.
    sleep 2
    session_running || fail "the session ended while the warning was on screen"
    [[ $desktop != xfce || $(xfce Manager.GetState) == 3 ]] || fail "the warning came after the save phase"
fi
[[ $case_name != gone-warning ]] || end_session_manager
dismiss_warning
expect_exit_status 0 "$work/nagwick.log"  # a second box would keep it running
WAIT_SECONDS=20 wait_for eval '! session_running' || session_failed "the session did not end"
! saved_in_session || fail "the program was saved in the session at log-off"
echo "PASS: $desktop $case_name"
