#!/usr/bin/env bash
# ctest's emulator for the Windows build: runs a Windows program under Wine,
# in the test session's prefix and display when NAGWICK_WINE_SESSION names one.
set -uo pipefail
if [[ -n ${NAGWICK_WINE_SESSION:-} ]]; then
    # shellcheck disable=SC1091
    source "$NAGWICK_WINE_SESSION/env" || { echo "no Wine session in $NAGWICK_WINE_SESSION" >&2; exit 1; }
fi
export PATH=/usr/lib/wine:$PATH  # where Debian keeps wine64
wine=$(command -v wine64 || command -v wine)
# Through a file: processes that Wine starts on the side may outlive the
# program, and must not hold the caller's pipes open.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$wine" "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"
exit $status
