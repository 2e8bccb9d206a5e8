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
# CMake keeps the compiler a build folder was first made with: a folder made
# with another than the toolchain's (its POSIX thread model) is made anew.
fresh=$(grep -qs g++-win32 build/mingw/CMakeFiles/*/CMakeCXXCompiler.cmake || echo --fresh)
cmake --preset mingw $fresh >/dev/null
cmake --build --preset mingw --target Nagwick -j"$(nproc)"

session=$(mktemp -d /tmp/nagwick-screenshots.XXXXXX)
trap 'tests/win32/wine-session.sh stop "$session/wine" >/dev/null 2>&1; rm -rf "$session"' EXIT
tests/win32/wine-session.sh start "$session/wine"
export NAGWICK_WINE_SESSION=$session/wine
# shellcheck disable=SC1091
source "$session/wine/env"
cp build/mingw/Nagwick.exe "$session/"
printf '[main]\r\nexplorer=false\r\n' >"$session/nagwick.ini"
tests/win32/wine-run.sh "$session/Nagwick.exe" &
sleep 5  # shown and painted
import -window root "$out/nagwick-main.png"
xdotool key Tab Tab space  # Exit, Hide, Options: pressed
sleep 2
import -window root "$out/nagwick-options.png"
echo "$out/nagwick-main.png $out/nagwick-options.png"
