#!/bin/sh
# Checks the generated icon images in assets/icon/ (or the folder given as $1):
#  - nagwick.ico holds exactly nine images, 48/32/16 px at 4, 8 and 32 bits each,
#    with 16-, 256- and no palette entries respectively;
#  - every image is a bitmap (DIB) of the size the entry claims, carries its AND
#    mask, and that mask hides the top-left corner but not the centre;
#  - nagwick-16/32/48.png are RGBA PNGs of their sizes.
# Exits 0 when everything holds, 1 otherwise.

root=$(cd "$(dirname "$0")/../.." && pwd)
dir=${1:-"$root/assets/icon"}
ico="$dir/nagwick.ico"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

# Unsigned little-endian integer of $3 bytes at offset $2 of file $1.
le() {
    od -An -tu1 -v -j "$2" -N "$3" "$1" |
        awk '{ for (i = 1; i <= NF; i++) b[n++] = $i }
             END { v = 0; for (i = n - 1; i >= 0; i--) v = v * 256 + b[i]; print v }'
}
# Unsigned big-endian 32-bit integer at offset $2 of file $1.
be32() {
    od -An -tu1 -v -j "$2" -N 4 "$1" |
        awk '{ for (i = 1; i <= NF; i++) v = v * 256 + $i } END { print v + 0 }'
}
# Bytes in one bitmap row of $1 bits, padded to 32 bits.
row_bytes() { echo $(( ($1 + 31) / 32 * 4 )); }

if ! command -v icotool >/dev/null 2>&1; then
    echo "FAIL: icotool not found (install icoutils)"
    exit 1
fi
if [ ! -f "$ico" ]; then
    echo "FAIL: $ico missing"
    exit 1
fi

echo "icotool -l $ico:"
listing=$(icotool -l "$ico") || fail "icotool cannot read $ico"
echo "$listing"

count=$(printf '%s\n' "$listing" | grep -c -- '--icon')
[ "$count" -eq 9 ] && pass "nine icon images" || fail "expected 9 icon images, found $count"

for size in 48 32 16; do
    for depth in 4 8 32; do
        case $depth in 4) palette=16 ;; 8) palette=256 ;; 32) palette=0 ;; esac
        n=$(printf '%s\n' "$listing" |
            grep -c -- "--width=$size --height=$size --bit-depth=$depth --palette-size=$palette\$")
        [ "$n" -eq 1 ] && pass "${size}x$size at $depth bits, palette $palette" ||
            fail "${size}x$size at $depth bits with palette $palette appears $n times"
    done
done

# Walk the directory of the file itself: icotool -l does not say how images are stored.
entries=$(le "$ico" 4 2)
i=0
while [ "$i" -lt "$entries" ]; do
    e=$((6 + 16 * i))
    w=$(le "$ico" "$e" 1)
    bits=$(le "$ico" $((e + 6)) 2)
    size=$(le "$ico" $((e + 8)) 4)
    at=$(le "$ico" $((e + 12)) 4)
    what="image $((i + 1)) (${w}px, $bits bits)"
    header=$(le "$ico" "$at" 4)
    if [ "$header" -ne 40 ]; then
        fail "$what is not a DIB with a BITMAPINFOHEADER (starts with $header)"
    else
        height=$(le "$ico" $((at + 8)) 4)
        [ "$height" -eq $((2 * w)) ] || fail "$what: DIB height $height is not twice the width (colour + mask)"
        [ "$(le "$ico" $((at + 14)) 2)" -eq "$bits" ] || fail "$what: DIB bit count differs from the directory"
        [ "$(le "$ico" $((at + 16)) 4)" -eq 0 ] || fail "$what: DIB is compressed"
        colours=0
        [ "$bits" -le 8 ] && colours=$((1 << bits))
        colour_rows=$((w * $(row_bytes $((w * bits)))))
        mask_row=$(row_bytes "$w")
        expected=$((40 + 4 * colours + colour_rows + w * mask_row))
        if [ "$size" -ne "$expected" ]; then
            fail "$what: $size bytes, a DIB with its AND mask needs $expected"
        else
            # Rows are stored bottom-up, so the top row comes last; bit 7 is the leftmost pixel.
            mask=$((at + 40 + 4 * colours + colour_rows))
            corner=$(le "$ico" $((mask + (w - 1) * mask_row)) 1)
            centre=$(le "$ico" $((mask + (w / 2) * mask_row + w / 16)) 1)
            bit=$((7 - (w / 2) % 8))
            if [ $((corner & 128)) -ne 0 ] && [ $(((centre >> bit) & 1)) -eq 0 ]; then
                pass "$what: DIB with AND mask, corner transparent, centre opaque"
            else
                fail "$what: AND mask should hide the top-left corner and show the centre"
            fi
        fi
    fi
    i=$((i + 1))
done

for size in 16 32 48; do
    png="$dir/nagwick-$size.png"
    if [ ! -f "$png" ]; then
        fail "$png missing"
        continue
    fi
    # PNG signature, then the IHDR chunk: width, height, bit depth, colour type (6 = RGBA).
    signature=$(od -An -tx1 -N 8 "$png" | tr -d ' \n')
    w=$(be32 "$png" 16)
    h=$(be32 "$png" 20)
    depth=$(le "$png" 24 1)
    type=$(le "$png" 25 1)
    if [ "$signature" = 89504e470d0a1a0a ] && [ "$w" -eq "$size" ] && [ "$h" -eq "$size" ] &&
        [ "$depth" -eq 8 ] && [ "$type" -eq 6 ]; then
        pass "nagwick-$size.png is ${size}x$size RGBA"
    else
        fail "nagwick-$size.png: ${w}x$h, bit depth $depth, colour type $type (want ${size}x$size, 8, 6)"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all icon checks passed"
