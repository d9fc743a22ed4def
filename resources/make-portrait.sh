#!/usr/bin/env bash
# Builds the program's picture and icons from ImageMagick drawing primitives:
#
#   resources/portrait.png                                   100x150, 8-bit RGB, no alpha
#   resources/icons/hicolor/<N>x<N>/apps/adhan-clock.png     N = 16 32 48 64 128 256, RGBA
#
# The emblem is a stylised mosque (onion dome, two minarets, crescent finial)
# in gold on a dark teal ground. It is drawn once, large, as a mask, then
# coloured and scaled down for every output so the edges stay smooth.
#
# Output is reproducible: no date/time chunks and no other metadata are written.
#
# Needs the Debian package imagemagick.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

command -v convert >/dev/null 2>&1 || { echo "make-portrait.sh: 'convert' (imagemagick) not found" >&2; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

export LC_ALL=C
# Same pixels whatever the machine's thread count.
export MAGICK_THREAD_LIMIT=1

# Options that keep timestamps and other variable metadata out of a PNG.
clean=(-strip +set date:create +set date:modify -define 'png:exclude-chunks=date,time,tEXt,zTXt,iTXt')

teal_hi='#11564f'
teal_lo='#062a27'
gold_hi='#fbeec1'
gold_lo='#d4a73c'

# 1. Emblem mask, 512x512: white = gold, black = empty.
convert -size 512x512 xc:black -fill white -stroke none \
    -draw "rectangle 40,446 472,464" \
    -draw "rectangle 60,430 452,446" \
    -draw "rectangle 122,312 390,430" \
    -draw "rectangle 108,300 404,314" \
    -draw "rectangle 172,276 340,300" \
    -draw "path 'M 168,282 C 96,222 214,188 256,128 C 298,188 416,222 344,282 Z'" \
    -draw "rectangle 253,92 259,132" \
    -draw "circle 256,112 256,104" \
    -draw "rectangle 60,196 92,430" \
    -draw "rectangle 52,262 100,274" \
    -draw "rectangle 54,186 98,196" \
    -draw "path 'M 58,186 C 58,160 76,150 76,112 C 76,150 94,160 94,186 Z'" \
    -draw "rectangle 420,196 452,430" \
    -draw "rectangle 412,262 460,274" \
    -draw "rectangle 414,186 458,196" \
    -draw "path 'M 418,186 C 418,160 436,150 436,112 C 436,150 454,160 454,186 Z'" \
    -draw "circle 256,66 256,40" \
    -fill black \
    -draw "circle 268,58 268,36" \
    -draw "path 'M 230,430 L 230,378 C 230,356 256,346 256,338 C 256,346 282,356 282,378 L 282,430 Z'" \
    -draw "path 'M 150,410 L 150,360 C 150,348 164,342 164,334 C 164,342 178,348 178,360 L 178,410 Z'" \
    -draw "path 'M 334,410 L 334,360 C 334,348 348,342 348,334 C 348,342 362,348 362,360 L 362,410 Z'" \
    -draw "rectangle 122,318 390,322" \
    -draw "rectangle 172,290 340,292" \
    -draw "path 'M 70,250 L 70,226 C 70,218 76,214 76,208 C 76,214 82,218 82,226 L 82,250 Z'" \
    -draw "path 'M 430,250 L 430,226 C 430,218 436,214 436,208 C 436,214 442,218 442,226 L 442,250 Z'" \
    -draw "rectangle 70,300 82,340" \
    -draw "rectangle 430,300 442,340" \
    -alpha off -type Grayscale "$tmp/mask.png"

# 2. Colour it: a vertical gold gradient, the mask as its opacity.
convert -size 512x512 "gradient:${gold_hi}-${gold_lo}" \
    "$tmp/mask.png" -alpha off -compose CopyOpacity -composite \
    "$tmp/emblem.png"

# 3. Portrait, drawn at 4x (400x600) then reduced to 100x150.
#    Teal ground, a pointed arch frame in gold, a crescent and a few small
#    stars in the arch, the emblem standing at its foot.
convert -size 400x600 xc:black -stroke none -fill white \
    -draw "circle 200,160 200,126" \
    -fill black \
    -draw "circle 214,150 214,120" \
    -fill white \
    -draw "polygon 258,131 262,143 274,143 264,150 268,162 258,155 248,162 252,150 242,143 254,143" \
    -draw "circle 112,210 112,206" \
    -draw "circle 300,222 300,218" \
    -draw "circle 150,120 150,117" \
    -draw "circle 92,262 92,259" \
    -draw "circle 318,276 318,273" \
    -alpha off -type Grayscale "$tmp/sky-mask.png"
convert -size 400x600 "xc:${gold_hi}" \
    "$tmp/sky-mask.png" -alpha off -compose CopyOpacity -composite \
    "$tmp/sky.png"

convert -size 400x600 "gradient:${teal_hi}-${teal_lo}" \
    -fill none -stroke "$gold_lo" -strokewidth 6 \
    -draw "roundrectangle 12,12 387,587 24,24" \
    -strokewidth 3 \
    -draw "path 'M 40,560 L 40,230 C 40,130 160,110 200,40 C 240,110 360,130 360,230 L 360,560 Z'" \
    -stroke none -fill "$gold_hi" \
    -draw "circle 200,580 200,575" \
    "$tmp/sky.png" -compose Over -composite \
    \( "$tmp/emblem.png" -filter Lanczos -resize 340x340 \) \
    -gravity north -geometry +0+232 -compose Over -composite \
    -filter Lanczos -resize 100x150\! \
    -alpha off -depth 8 -type TrueColor \
    "${clean[@]}" "PNG24:$here/portrait.png"

# 4. Square icons: a rounded teal tile with a thin gold rim, emblem centred.
#    The small sizes get no rim and a larger emblem so they stay legible.
#    tile <emblem size> <rim width> <out>
tile() {
    local rim=()
    if [ "$2" -gt 0 ]; then
        rim=(-fill none -stroke "$gold_lo" -strokewidth "$2" -draw "roundrectangle 16,16 495,495 88,88")
    fi
    convert -size 512x512 "gradient:${teal_hi}-${teal_lo}" \
        \( -size 512x512 xc:black -fill white -draw "roundrectangle 8,8 503,503 96,96" \) \
        -alpha off -compose CopyOpacity -composite \
        "${rim[@]}" \
        \( "$tmp/emblem.png" -filter Lanczos -resize "${1}x${1}" \) \
        -gravity center -geometry +0+0 -compose Over -composite \
        "$3"
}
tile 392 10 "$tmp/icon-large.png"
tile 456 0 "$tmp/icon-small.png"

for n in 16 32 48 64 128 256; do
    dir="$here/icons/hicolor/${n}x${n}/apps"
    mkdir -p "$dir"
    src="$tmp/icon-large.png"
    [ "$n" -le 32 ] && src="$tmp/icon-small.png"
    convert "$src" -filter Lanczos -resize "${n}x${n}" \
        -depth 8 -type TrueColorAlpha \
        "${clean[@]}" "PNG32:$dir/adhan-clock.png"
done

echo "wrote $here/portrait.png and $here/icons/hicolor/*/apps/adhan-clock.png"
