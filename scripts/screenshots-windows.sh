#!/usr/bin/env bash
# Screenshots of Nagwick.exe under Wine, in the test session's virtual
# desktop: the main window, then the options dialog over it, as PNG files in
# OUTDIR.   scripts/screenshots-windows.sh OUTDIR
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
cd "$(dirname "$0")/.."
out=$(realpath -m "$1")
mkdir -p "$out"
scripts/deps.sh windows screenshots
source scripts/lib/mingw.sh
configure_mingw
cmake --build --preset mingw --target Nagwick -j"$(nproc)"

session=$(mktemp -d /tmp/nagwick-screenshots.XXXXXX)
trap 'scripts/lib/wine-session.sh stop "$session/wine" >/dev/null 2>&1; rm -rf "$session"' EXIT
scripts/lib/wine-session.sh start "$session/wine"
export NAGWICK_WINE_SESSION=$session/wine
# shellcheck disable=SC1091
source "$session/wine/env"
cp build/mingw/Nagwick.exe "$session/"
printf '[main]\r\nexplorer=false\r\n' >"$session/nagwick.ini"
scripts/lib/wine-run.sh "$session/Nagwick.exe" &
sleep 5  # shown and painted
import -window root "$out/nagwick-main.png"
xdotool key Tab Tab space  # Exit, Hide, Options: pressed
sleep 2
import -window root "$out/nagwick-options.png"
echo "$out/nagwick-main.png $out/nagwick-options.png"
