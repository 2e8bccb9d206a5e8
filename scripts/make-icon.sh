#!/bin/sh
# Rebuilds Nagwick's icon images from the SVG drawings in assets/icon/:
#   nagwick-48.png, nagwick-32.png, nagwick-16.png  32-bit RGBA (also the Linux window icon)
#   nagwick.ico  nine bitmap (DIB) images with AND masks: 48, 32 and 16 pixels,
#                each at 4 bits (16 colours), 8 bits (256 colours) and 32 bits (alpha)
# The 48-px image comes from nagwick.svg; the 32- and 16-px images come from their
# own drawings on the smaller pixel grids, because scaling the big one blurs them.
# Needs: librsvg2-bin (rsvg-convert), imagemagick, pngquant, icoutils, perl.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/assets/icon"

die() { echo "make-icon.sh: $*" >&2; exit 1; }

need() { command -v "$1" >/dev/null 2>&1 || die "$1 not found (install $2)"; }
need rsvg-convert librsvg2-bin
need pngquant pngquant
need icotool icoutils
need perl perl

# `convert` may be some other program; use ImageMagick under a name only it has.
magick=
for c in convert-im6.q16 magick convert; do
    if command -v "$c" >/dev/null 2>&1 && "$c" -version 2>/dev/null | grep -q '^Version: ImageMagick'; then
        magick=$c
        break
    fi
done
[ -n "$magick" ] || die "ImageMagick not found (install imagemagick)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sizes="48 32 16"

source_svg() {
    case $1 in
        48) echo "$dir/nagwick.svg" ;;
        *) echo "$dir/nagwick-$1.svg" ;;
    esac
}

for s in $sizes; do
    svg=$(source_svg "$s")
    [ -f "$svg" ] || die "missing $svg"

    # Full-colour image with alpha: the PNG and the 32-bit entry.
    rsvg-convert -w "$s" -h "$s" -f png -o "$work/rgba-$s.png" "$svg"

    # Palette entries keep transparency only in the AND mask, so each pixel is
    # either opaque or fully transparent; half-covered edge pixels decide by 50%.
    "$magick" "$work/rgba-$s.png" -channel A -threshold 50% +channel \
        -define png:color-type=6 "PNG32:$work/mask-$s.png"

    # No dithering: at icon sizes it reads as noise rather than shading.
    for n in 16 256; do
        pngquant --force --nofs --speed 1 --strip \
            --output "$work/pal$n-$s.png" "$n" -- "$work/mask-$s.png" \
            || die "pngquant failed for ${s}px, $n colours"
    done
done

# icotool's --bit-depth holds for a whole call, so build one icon file per depth...
icotool -c -b 4 -o "$work/d4.ico" "$work/pal16-48.png" "$work/pal16-32.png" "$work/pal16-16.png"
icotool -c -b 8 -o "$work/d8.ico" "$work/pal256-48.png" "$work/pal256-32.png" "$work/pal256-16.png"
icotool -c -b 32 -o "$work/d32.ico" "$work/rgba-48.png" "$work/rgba-32.png" "$work/rgba-16.png"

# ...then join their entries: for each size, 4, 8 and 32 bits, largest size first.
perl -e '
    use strict;
    use warnings;
    my ($out, @in) = @ARGV;
    my (@entries, @data);
    for my $name (@in) {
        open my $fh, "<:raw", $name or die "$name: $!\n";
        local $/;
        my $file = <$fh>;
        my ($reserved, $type, $count) = unpack "v3", $file;
        die "$name: not an icon file\n" unless $reserved == 0 && $type == 1;
        for my $i (0 .. $count - 1) {
            my @e = unpack "C4 v2 V2", substr $file, 6 + 16 * $i, 16;
            push @entries, [@e[0 .. 6]];
            push @data, substr $file, $e[7], $e[6];
        }
    }
    # entry fields: width, height, colours, reserved, planes, bit count, size
    my @order = sort {
        ($entries[$b][0] || 256) <=> ($entries[$a][0] || 256)
            or $entries[$a][5] <=> $entries[$b][5]
    } 0 .. $#entries;
    my $offset = 6 + 16 * @order;
    my ($head, $body) = (pack("v3", 0, 1, scalar @order), "");
    for my $i (@order) {
        $head .= pack "C4 v2 V2", @{ $entries[$i] }, $offset;
        $body .= $data[$i];
        $offset += length $data[$i];
    }
    open my $fh, ">:raw", $out or die "$out: $!\n";
    print $fh $head, $body;
    close $fh or die "$out: $!\n";
' "$work/nagwick.ico" "$work/d4.ico" "$work/d8.ico" "$work/d32.ico"

# Replace the committed images only once every step has worked.
for s in $sizes; do
    cp "$work/rgba-$s.png" "$dir/nagwick-$s.png"
done
cp "$work/nagwick.ico" "$dir/nagwick.ico"

icotool -l "$dir/nagwick.ico"
