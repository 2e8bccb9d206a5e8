#!/usr/bin/env bash
# Screenshots of Nagwick.exe under Wine: the main window, and the options
# dialog over it, as PNG files in OUTDIR.
#   scripts/screenshots-windows.sh OUTDIR
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
cd "$(dirname "$0")/.."
out=$(realpath -m "$1")
mkdir -p "$out"

scripts/deps.sh windows screenshots
cmake --preset mingw -DBUILD_TESTING=ON >/dev/null
cmake --build --preset mingw --target Nagwick nagwick_win32_tests -j"$(nproc)"
import=$(command -v import-im6.q16 || command -v import)

session=$(mktemp -d /tmp/nagwick-screenshots.XXXXXX)
work=$session/work
mkdir -p "$work"
cleanup() {
    [[ -n ${driver:-} ]] && kill "$driver" 2>/dev/null
    tests/win32/wine-session.sh stop "$session/wine" >/dev/null 2>&1 || true
    rm -rf "$session"
}
trap cleanup EXIT
tests/win32/wine-session.sh start "$session/wine"
export NAGWICK_WINE_SESSION=$session/wine
# shellcheck disable=SC1091
source "$session/wine/env"

# A test that starts Nagwick, and for each window says where it is and waits.
NAGWICK_POSE=$work tests/win32/wine-run.sh build/mingw/tests/win32/nagwick_win32_tests.exe \
    --gtest_also_run_disabled_tests --gtest_filter=NagwickExe.DISABLED_Pose &
driver=$!
for name in main options; do
    marker=$work/$name.ready
    for _ in $(seq 600); do
        [[ -s $marker ]] && break
        kill -0 "$driver" 2>/dev/null || { echo "the driver ended early" >&2; exit 1; }
        sleep 0.1
    done
    [[ -s $marker ]] || { echo "no $name window" >&2; exit 1; }
    read -r x y width height <"$marker"
    margin=8
    "$import" -window root -crop "$((width + 2 * margin))x$((height + 2 * margin))+$((x - margin))+$((y - margin))" \
        +repage "$out/nagwick-$name.png"
    echo "$out/nagwick-$name.png"
    rm -f "$marker"
done
wait "$driver"
driver=
