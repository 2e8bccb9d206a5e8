#!/usr/bin/env bash
# Marks a linked Windows program IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP, which
# GNU ld has no switch for: started from a removable drive, it is copied to
# the page file first, so that no page of it is read from a drive that has
# been pulled since. The PE checksum the linker wrote is made anew.
#   run_from_swap.sh EXE
set -euo pipefail
exe=$1
byte() { od -An -tu1 -j"$1" -N1 "$exe" | tr -d ' '; }
put() { printf "$(printf '\\%03o' "$2")" | dd of="$exe" bs=1 seek="$1" conv=notrunc status=none; }

pe=$(( $(byte 60) + $(byte 61) * 256 + $(byte 62) * 65536 ))
[ "$(od -An -c -j"$pe" -N2 "$exe" | tr -d ' ')" = PE ] || { echo "$exe: no PE header" >&2; exit 1; }
# The COFF header's Characteristics: 0x0400 is in its high byte.
put $((pe + 23)) $(( $(byte $((pe + 23))) | 4 ))

# The checksum: the file's 16-bit words (the checksum's own as zeros) added
# with end-around carry, plus the file's length.
sum_at=$((pe + 88))
od -An -v -tu1 "$exe" | awk -v skip="$sum_at" '
    { for (i = 1; i <= NF; i++) { if (n < skip || n >= skip + 4) sum += n % 2 ? $i * 256 : $i; n++ } }
    END { while (sum > 65535) sum = sum % 65536 + int(sum / 65536); sum += n
          for (i = 0; i < 4; i++) { print sum % 256; sum = int(sum / 256) } }' |
{ i=0; while read -r b; do put $((sum_at + i)) "$b"; i=$((i + 1)); done; }
