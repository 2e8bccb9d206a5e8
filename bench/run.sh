#!/usr/bin/env bash
# Nagwick's Linux program against a bare Qt 6 Widgets window of the same
# controls (bench/bare_window.cpp), side by side in one run, on a private
# Xvfb display with a private session bus. Prints one table; the raw figures
# and profiles stay in $BENCH_DIR (default /tmp/nagwick-bench).
#   BENCH_RUNS          start-up runs of each program (default 20)
#   BENCH_IDLE_SECONDS  length of the idle measurement (default 60)
#   BENCH_SETTLE_SECONDS wait before it (default 35): Qt's pixmap cache arms a
#                       30 s flush timer at each paint, which fires once
#   NAGWICK_EXE         the Windows build to measure (default: looked for under build/)
#   BENCH_DRIVE         the drive folder to measure (default: installed from the build here)
#   BENCH_DRIVE_BEFORE  another drive folder (an earlier commit's) to measure beside it
#   BENCH_COLD_RUNS     cold starts from the throttled volume of each (default 5)
# Not a test: the figures depend on the machine and its load.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
runs=${BENCH_RUNS:-20}
idle_seconds=${BENCH_IDLE_SECONDS:-60}
settle_seconds=${BENCH_SETTLE_SECONDS:-35}
out=${BENCH_DIR:-/tmp/nagwick-bench}

"$repo/scripts/deps.sh" bench >&2

# --- builds: both programs with the same compiler flags ------------------
mkdir -p "$out"
build_type=RelWithDebInfo
echo "Building (in $out)..." >&2
cmake -S "$repo" -B "$out/nagwick-build" -DCMAKE_BUILD_TYPE=$build_type -DBUILD_TESTING=OFF >"$out/build.log"
cmake --build "$out/nagwick-build" -j2 --target nagwick nagwick_launcher nagwick_icu_data_stub >>"$out/build.log"
drive_folder=${BENCH_DRIVE:-$out/drive}
if [[ -z ${BENCH_DRIVE:-} ]]; then
    rm -rf "$drive_folder"
    cmake --install "$out/nagwick-build" --component drive --prefix "$drive_folder" --strip >>"$out/build.log"
fi
cmake -S "$repo/bench" -B "$out/tools" -DCMAKE_BUILD_TYPE=$build_type >>"$out/build.log"
cmake --build "$out/tools" -j2 >>"$out/build.log"

# Nagwick runs from a folder of its own, as from a drive; explorer=false, or
# every start would open a file manager.
app="$out/app"
rm -rf "$app" "$out/raw"
mkdir -p "$app" "$out/raw"
cp "$out/nagwick-build/nagwick" "$app/nagwick"
printf '[main]\nexplorer=false\nstart=normal\n' >"$app/nagwick.ini"
nagwick="$app/nagwick"
bare="$out/tools/bare_window"
x_watch="$out/tools/x_watch"
# The drive folders run from copies of their own too, as on a desktop without Qt.
folders=(drive)
[[ -n ${BENCH_DRIVE_BEFORE:-} ]] && folders+=(before)
for name in "${folders[@]}"; do
    from=$drive_folder
    [[ $name == before ]] && from=$BENCH_DRIVE_BEFORE
    rm -rf "$out/$name-app" && cp -r "$from" "$out/$name-app" && cp "$app/nagwick.ini" "$out/$name-app/"
done
without_qt=(unshare --mount "$repo/bench/without_system_qt.sh")

# --- the display and the session ------------------------------------------
source "$repo/scripts/lib/xvfb.sh"
source "$repo/bench/drive.sh"
pids=()
dbus_pid=
cleanup() {
    set +e
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    [[ -n "$dbus_pid" ]] && kill "$dbus_pid" 2>/dev/null
    stop_xvfb
    return 0
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
start_xvfb
# A desktop session has a session bus; both programs get the same one.
rm -f "$out/bus"
dbus-daemon --session --nofork --nopidfile --address="unix:path=$out/bus" >/dev/null 2>&1 &
dbus_pid=$!
wait_for test -S "$out/bus" || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$out/bus"
export XDG_RUNTIME_DIR="$out/runtime" QT_QPA_PLATFORM=xcb
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER DESKTOP_AUTOSTART_ID
cd "$out"

# --- start-up: exec to MapNotify and to first paint ------------------------
echo "Start-up: $runs runs each, interleaved..." >&2
watch() {  # NAME: x_watch on that program
    case $1 in
    drive | before) "${without_qt[@]}" "$x_watch" "$out/$1-app/nagwick" ;;
    *) "$x_watch" "${!1}" ;;
    esac
}
for name in bare nagwick "${folders[@]}"; do watch $name >/dev/null 2>&1 || true; done  # warm caches
for name in bare nagwick "${folders[@]}"; do : >"$out/raw/startup.$name"; done
for ((i = 0; i < runs; i++)); do
    for name in bare nagwick "${folders[@]}"; do
        watch $name >>"$out/raw/startup.$name" 2>>"$out/raw/x_watch.err" ||
            fail "x_watch failed on $name: $(tail -n1 "$out/raw/x_watch.err")"
    done
done

# COLUMN FILE: "median min max" of one column, in milliseconds.
stats_ms() {
    awk -v c="$1" '{print $c}' "$2" | sort -n | awk '
        { v[NR] = $1 }
        END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%.1f %.1f %.1f\n", m / 1000, v[1] / 1000, v[NR] / 1000 }'
}

# --- four instances at once: shown and hidden, Nagwick and bare ------------
echo "Memory and ${idle_seconds} s idle after ${settle_seconds} s: four instances at once..." >&2
started_pid=
start_instance() {  # PROGRAM TITLE X Y
    "$1" >/dev/null 2>&1 &
    started_pid=$!
    pids+=("$started_pid")
    local pid=$started_pid
    wait_for eval "xdotool search --all --onlyvisible --pid $pid --name '^$2\$' | grep -q ." ||
        fail "$1 showed no window"
    started_window=$(xdotool search --all --onlyvisible --pid "$pid" --name "^$2\$" | head -n1)
    # Side by side, so that a click lands on the window meant.
    xdotool windowmove --sync "$started_window" "$3" "$4"
}
start_instance "$nagwick" Nagwick 0 0
nagwick_shown=$started_pid
# From a folder of its own: a second start from the same folder would bring
# the first one's window back instead.
rm -rf "$app-2" && cp -r "$app" "$app-2"
start_instance "$app-2/nagwick" Nagwick 500 0
nagwick_hidden=$started_pid
click_hide "$started_window"
start_instance "$bare" "Bare window" 0 400
bare_shown=$started_pid
start_instance "$bare" "Bare window" 500 400
bare_hidden=$started_pid
xdotool windowunmap --sync "$started_window"
xdotool mousemove 1000 760  # out of every window
wait_for eval "! xdotool search --all --onlyvisible --pid $nagwick_hidden --name . | grep -q ." ||
    fail "Hide left Nagwick's window on screen"
sleep "$settle_seconds"

rollup_kib() {  # PID FIELD
    awk -v f="$2:" '$1 == f {print $2}' "/proc/$1/smaps_rollup"
}
# Context switches of every thread, and user+system CPU ticks.
switches() {
    cat /proc/"$1"/task/*/status | awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ {n += $2} END {print n}'
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
thread_snapshot() {  # PID: one line per thread: id, switches, name
    local task
    for task in /proc/"$1"/task/*; do
        printf '%s %s %s\n' "${task##*/}" \
            "$(awk '/ctxt_switches/ {n += $2} END {print n}' "$task/status")" "$(cat "$task/comm")"
    done
}

declare -A rss pss sw0 sw1 cpu0 cpu1
instances=(nagwick_shown nagwick_hidden bare_shown bare_hidden)
for i in "${instances[@]}"; do
    rss[$i]=$(rollup_kib "${!i}" Rss)
    pss[$i]=$(rollup_kib "${!i}" Pss)
    sw0[$i]=$(switches "${!i}")
    cpu0[$i]=$(cpu_ticks "${!i}")
    thread_snapshot "${!i}" >"$out/raw/threads.$i.before"
done
sleep "$idle_seconds"
for i in "${instances[@]}"; do
    sw1[$i]=$(switches "${!i}")
    cpu1[$i]=$(cpu_ticks "${!i}")
    thread_snapshot "${!i}" >"$out/raw/threads.$i.after"
done
# Which threads woke up during the idle time.
for i in "${instances[@]}"; do
    echo "$i (pid ${!i}): context switches during the idle time, per thread"
    join <(sort "$out/raw/threads.$i.before") <(sort "$out/raw/threads.$i.after") |
        awk '{printf "  %-16s %d\n", $3, $4 - $2}'
done >"$out/raw/threads.txt"
tick_ms=$((1000 / $(getconf CLK_TCK)))
for i in "${instances[@]}"; do
    kill -0 "${!i}" 2>/dev/null || fail "$i ended during the idle minute"
    kill -9 "${!i}"
    wait "${!i}" 2>/dev/null || true
done

# --- instructions from exec to the first idle event loop -----------------
echo "Instructions to idle (callgrind)..." >&2
# Runs PROGRAM under callgrind until its window is on screen and its CPU
# time stands still for a second, dumps the counts there and sets
# `instructions` to the total. (Not in a subshell: the valgrind process must
# reach `pids`, and a failure must end the script.)
instructions_to_idle() {  # PROGRAM TITLE NAME
    rm -f "$out/raw/callgrind.$3".*
    valgrind --tool=callgrind --callgrind-out-file="$out/raw/callgrind.$3.%p" "$1" \
        >/dev/null 2>"$out/raw/valgrind.$3.log" &
    local pid=$! last=-1 now
    pids+=("$pid")
    WAIT_SECONDS=120 wait_for eval "xdotool search --all --onlyvisible --pid $pid --name '^$2\$' | grep -q ." ||
        fail "$1 under valgrind showed no window"
    now=$(cpu_ticks "$pid")
    while [[ $now != "$last" ]]; do
        last=$now
        sleep 1
        now=$(cpu_ticks "$pid")
    done
    callgrind_control --dump=idle "$pid" >/dev/null 2>&1
    wait_for test -s "$out/raw/callgrind.$3.$pid.1" || fail "callgrind wrote no dump for $3"
    sleep 0.5
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    instructions=$(awk '/^totals:/ {print $2}' "$out/raw/callgrind.$3.$pid.1")
}
instructions_to_idle "$bare" "Bare window" bare
ir_bare=$instructions
instructions_to_idle "$nagwick" Nagwick nagwick
ir_nagwick=$instructions

# --- the drive folder: a cold start from a slow stick, and what a run holds ---
echo "The drive folder: cold starts from a throttled volume, memory held..." >&2
drive_figures drive "$drive_folder" "${without_qt[@]}"
[[ -n ${BENCH_DRIVE_BEFORE:-} ]] && drive_figures before "$BENCH_DRIVE_BEFORE" "${without_qt[@]}"
mkdir -p "$out/system-app" && cp "$nagwick" "$out/system-app/nagwick"
drive_figures system "$out/system-app" unshare --mount

# --- files ------------------------------------------------------------------
stripped_size() {  # FILE [STRIP-PROGRAM]
    "${2:-strip}" -o "$out/raw/stripped" "$1" && stat -c %s "$out/raw/stripped"
}
shared_libraries() { ldd "$1" | grep -c '=>'; }

exe=${NAGWICK_EXE:-}
if [[ -z "$exe" ]]; then
    for candidate in "$repo"/build/mingw/Nagwick.exe "$repo"/build/*/Nagwick.exe; do
        [[ -f "$candidate" ]] && { exe=$candidate; break; }
    done
fi

# --- the table --------------------------------------------------------------
row() {  # MEASURE NAGWICK BARE RATIO TARGET
    printf '%-40s %22s %22s %7s  %s\n' "$@"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }'; }
# A target on the ratio: "ok" when within LIMIT times the bare window.
within() {  # NAGWICK BARE LIMIT
    awk -v a="$1" -v b="$2" -v l="$3" 'BEGIN { print (a <= b * l ? "<=" l "x ok" : "<=" l "x MISSED") }'
}
kib() { awk -v n="$1" 'BEGIN { printf "%.0f KiB", n / 1024 }'; }

read -r n_map_med n_map_min n_map_max < <(stats_ms 1 "$out/raw/startup.nagwick")
read -r b_map_med b_map_min b_map_max < <(stats_ms 1 "$out/raw/startup.bare")
read -r n_dmg_med n_dmg_min n_dmg_max < <(stats_ms 2 "$out/raw/startup.nagwick")
read -r b_dmg_med b_dmg_min b_dmg_max < <(stats_ms 2 "$out/raw/startup.bare")
read -r n_cpu_med n_cpu_min n_cpu_max < <(stats_ms 3 "$out/raw/startup.nagwick")
read -r b_cpu_med b_cpu_min b_cpu_max < <(stats_ms 3 "$out/raw/startup.bare")

echo
echo "Nagwick vs a bare Qt $(pkg-config --modversion Qt6Widgets 2>/dev/null || echo 6) window, $(date -u +%F), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
row "measure" "Nagwick" "bare window" "ratio" "target"
row "exec -> MapNotify, ms (median, min-max)" "$n_map_med ($n_map_min-$n_map_max)" \
    "$b_map_med ($b_map_min-$b_map_max)" "$(ratio "$n_map_med" "$b_map_med")" \
    "$(within "$n_map_med" "$b_map_med" 1.1)"
row "exec -> first paint, ms" "$n_dmg_med ($n_dmg_min-$n_dmg_max)" \
    "$b_dmg_med ($b_dmg_min-$b_dmg_max)" "$(ratio "$n_dmg_med" "$b_dmg_med")" \
    "$(within "$n_dmg_med" "$b_dmg_med" 1.1)"
row "  CPU time to first paint, ms (median)" "$n_cpu_med ($n_cpu_min-$n_cpu_max)" \
    "$b_cpu_med ($b_cpu_min-$b_cpu_max)" "$(ratio "$n_cpu_med" "$b_cpu_med")" ""
for state in shown hidden; do
    n=nagwick_$state b=bare_$state
    row "RSS $state, KiB" "${rss[$n]}" "${rss[$b]}" "$(ratio "${rss[$n]}" "${rss[$b]}")" \
        "$(within "${rss[$n]}" "${rss[$b]}" 1.1)"
    row "PSS $state, KiB" "${pss[$n]}" "${pss[$b]}" "$(ratio "${pss[$n]}" "${pss[$b]}")" \
        "$(within "${pss[$n]}" "${pss[$b]}" 1.1)"
done
for state in shown hidden; do
    n=nagwick_$state b=bare_$state
    n_sw=$((sw1[$n] - sw0[$n])) b_sw=$((sw1[$b] - sw0[$b]))
    target=""
    [[ $state == hidden ]] && { ((n_sw == 0)) && target="0 ok" || target="0 MISSED"; }
    row "context switches in ${idle_seconds} s idle, $state" "$n_sw" "$b_sw" "$(ratio "$n_sw" "$b_sw")" "$target"
    n_cpu=$(((cpu1[$n] - cpu0[$n]) * tick_ms)) b_cpu=$(((cpu1[$b] - cpu0[$b]) * tick_ms))
    row "CPU ms in ${idle_seconds} s idle, $state" "$n_cpu" "$b_cpu" "$(ratio "$n_cpu" "$b_cpu")" ""
done
row "instructions, exec -> idle loop" "$ir_nagwick" "$ir_bare" "$(ratio "$ir_nagwick" "$ir_bare")" ""
row "binary ($build_type), bytes" "$(stat -c %s "$nagwick")" "$(stat -c %s "$bare")" \
    "$(ratio "$(stat -c %s "$nagwick")" "$(stat -c %s "$bare")")" ""
n_strip=$(stripped_size "$nagwick") b_strip=$(stripped_size "$bare")
row "binary stripped, bytes" "$n_strip" "$b_strip" "$(ratio "$n_strip" "$b_strip")" ""
row "shared libraries (ldd)" "$(shared_libraries "$nagwick")" "$(shared_libraries "$bare")" \
    "$(ratio "$(shared_libraries "$nagwick")" "$(shared_libraries "$bare")")" ""
if [[ -n "$exe" ]] && command -v x86_64-w64-mingw32-objdump >/dev/null; then
    exe_size=$(stripped_size "$exe" x86_64-w64-mingw32-strip)
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | sort | paste -sd' ')
    row "Nagwick.exe stripped" "$(kib "$exe_size")" "" "" \
        "$( ((exe_size <= 200 * 1024)) && echo "<=200 KiB ok" || echo "<=200 KiB MISSED")"
    echo "  Nagwick.exe: $exe"
    echo "  imported DLLs: $dlls"
else
    row "Nagwick.exe stripped" "not built" "" "" "<=200 KiB"
fi

echo "The drive folder ($drive_folder) as on a desktop without Qt, before (${BENCH_DRIVE_BEFORE:-not given}), the system-Qt build"
drive_row() {  # MEASURE DRIVE BEFORE SYSTEM TARGET: the ratio to before, else to the system-Qt build
    local versus=${3:-$4}
    printf '%-36s %20s %20s %18s %7s  %s\n' "$1" "$2" "$3" "$4" "$([[ -n $versus ]] && ratio "${2%% *}" "${versus%% *}")" "$5"
}
at_most() { awk -v v="$1" -v l="$2" -v t="$3" 'BEGIN { print (v <= l ? t " ok" : t " MISSED") }'; }  # VALUE LIMIT TEXT
figure() { echo "${drive[$1.$2]:-}"; }  # KEY NAME
printf '%-36s %20s %20s %18s %7s  %s\n' "measure" "drive folder" "before" "system Qt" "ratio" "target"
warm() { [[ -s $out/raw/startup.$1 ]] && read -r med min max < <(stats_ms 1 "$out/raw/startup.$1") && echo "$med ($min-$max)"; }
warm_drive=$(warm drive) warm_before=$(warm before || true)
drive_row "warm start, exec -> MapNotify, ms" "$warm_drive" "$warm_before" "$(warm nagwick)" \
    "$([[ -n $warm_before ]] && at_most "${warm_drive%% *}" "$(awk -v b="${warm_before%% *}" 'BEGIN { print b * 1.1 }')" "<=1.1x before")"
drive_row "folder, bytes (but Nagwick.exe)" "$(figure size drive)" "$(figure size before)" "" \
    "$(at_most "$(figure size drive)" $((25 * 1024 * 1024)) "<=25 MiB")"
if [[ -n $(figure cold_bytes drive) ]]; then
    mib=$(awk -v b="${BENCH_DRIVE_BPS:-20971520}" 'BEGIN { printf "%g", b / 1048576 }')
    drive_row "cold start at $mib MiB/s: bytes read" "$(figure cold_bytes drive)" "$(figure cold_bytes before)" \
        "$(figure cold_bytes system)" "$(at_most "$(figure cold_bytes drive)" $((20 * 1024 * 1024)) "<=20 MiB")"
    drive_row "  exec -> MapNotify, ms" "$(figure cold_ms drive)" "$(figure cold_ms before)" "$(figure cold_ms system)" \
        "$(at_most "$(figure cold_ms drive | cut -d' ' -f1)" 1000 "<1 s")"
else
    drive_row "cold start from a throttled volume" "needs root, FUSE, cgroup v1 blkio" "" "" ""
fi
for held in disk tmpfs all_tmpfs; do
    case $held in disk) label="/tmp on disk" ;; tmpfs) label="/tmp a tmpfs" ;; all_tmpfs) label="/tmp, /var/tmp tmpfs" ;; esac
    limit=""
    [[ -n $(figure held_$held before) ]] && limit=$(at_most "$(figure held_$held drive)" \
        "$(awk -v b="$(figure held_$held before)" 'BEGIN { print b * 1.1 }')" "<=1.1x before")
    drive_row "held by a run, KiB: $label" "$(figure held_$held drive)" "$(figure held_$held before)" \
        "$(figure held_$held system)" "$limit"
done
echo "Raw figures, per-thread switches and callgrind dumps: $out/raw"
