#!/usr/bin/env bash
# Nagwick.exe is one self-contained Windows GUI program of at most 200 KiB:
# it imports only DLLs that come with Windows, runs from the page file when
# started from a removable drive, carries its manifest, its version block and
# its icon group of nine images.
#   check_exe.sh OBJDUMP NAGWICK_EXE
set -uo pipefail
objdump=$1 exe=$2 failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
for tool in wrestool icotool; do command -v $tool >/dev/null || { echo "SKIP: no $tool (icoutils)"; exit 77; }; done

headers=$("$objdump" -p "$exe")
for dll in $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u); do
    [[ " kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll advapi32.dll shell32.dll " == *" $dll "* ]] ||
        fail "imports $dll, which does not come with Windows"
done
grep -Eq 'Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' <<<"$headers" || fail "not a Windows GUI program"
grep -q 'copy to swap file if on removable media' <<<"$headers" || fail "lacks IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP"
size=$(stat -c %s "$exe")
((size <= 200 * 1024)) || fail "$size bytes: more than 200 KiB"
for needed in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' PerMonitorV2 'level="asInvoker"'; do
    grep -qF "$needed" "$exe" || fail "the manifest lacks $needed"
done

# The version block: its fixed part (version 1.0.0.0 of a Windows application), then its strings.
version() { wrestool -x --raw -t 16 -n 1 "$exe"; }
[[ $(version | od -An -v -tx1 | tr -d ' \n') == *bd04effe00000100000001000000000000000100000000003f000000000000000400000001000000* ]] ||
    fail "the version block's fixed part is not version 1.0.0.0 of a Windows application"
d="Utility to provide a nagwick to remove a flash drive when a user logs out."
[[ $(version | "${objdump%objdump}strings" -el -n 3 | paste -sd'|') == "VS_VERSION_INFO|StringFileInfo|040904B0|Comments|$d|\
CompanyName|Nagwick|FileDescription|$d|ProductName|Nagwick|FileVersion|1.00|ProductVersion|1.00|InternalName|Nagwick|\
OriginalFilename|Nagwick.exe|VarFileInfo|Translation" ]] || fail "the version block's strings differ"

icons=$(wrestool -x -t 14 -n 1 "$exe" | icotool -l - | sed -E 's/.*--width=([0-9]+).*--bit-depth=([0-9]+).*/\1x\2/' | sort | paste -sd' ')
[[ $icons == "16x32 16x4 16x8 32x32 32x4 32x8 48x32 48x4 48x8" ]] || fail "icon group 1 is not 48, 32, 16 pixels x 4, 8, 32 bits: $icons"
exit $((failures > 0))
