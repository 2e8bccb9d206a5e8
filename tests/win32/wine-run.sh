#!/usr/bin/env bash
# Runs a Windows program under Wine: ctest's emulator for the Windows build.
# In a test session (NAGWICK_WINE_SESSION names its folder, see
# wine-session.sh) the program runs in that session's prefix and display.
set -uo pipefail

if [[ -n ${NAGWICK_WINE_SESSION:-} ]]; then
    # shellcheck disable=SC1091
    source "$NAGWICK_WINE_SESSION/env" || { echo "no Wine session in $NAGWICK_WINE_SESSION" >&2; exit 1; }
fi
wine=${NAGWICK_WINE:-/usr/lib/wine/wine64}
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)

# The program's output goes through a file: processes that Wine starts on
# the side (the desktop, services) inherit it and may outlive the program,
# and must not hold the caller's pipes open.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$wine" "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"
exit $status
