#!/usr/bin/env bash
# Nagwick.exe is one self-contained file for the Windows GUI subsystem: it
# imports only DLLs that every Windows has (no C++ runtime, no threads DLL),
# and carries its manifest (common controls 6, per-monitor DPI awareness).
#   check_imports.sh OBJDUMP NAGWICK_EXE
set -euo pipefail
objdump=$1
exe=$2

headers=$("$objdump" -p "$exe")
mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
echo "imports: ${dlls[*]}"
[[ ${#dlls[@]} -gt 0 ]] || { echo "FAIL: no import table found" >&2; exit 1; }

system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll advapi32.dll shell32.dll "
status=0
for dll in "${dlls[@]}"; do
    if [[ $system_dlls != *" $dll "* ]]; then
        echo "FAIL: imports $dll, which does not come with Windows" >&2
        status=1
    fi
done
if ! grep -Eq 'Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' <<<"$headers"; then
    echo "FAIL: not a Windows GUI program" >&2
    status=1
fi
for needed in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' 'PerMonitorV2' 'level="asInvoker"'; do
    if ! grep -qF "$needed" "$exe"; then
        echo "FAIL: the manifest lacks $needed" >&2
        status=1
    fi
done
echo "size: $(stat -c %s "$exe") bytes"
exit $status
