#!/usr/bin/env bash
# Draws the program's icon (a white padlock on a blue rounded square) with
# ImageMagick and writes it as one .ico holding 48, 32 and 16 pixel images.
# The .ico is checked in; run this again only to change the drawing.
#   usage: src/res/make_icons.sh   (writes src/res/pellucorda.ico)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn once at 384 pixels (8 times the largest image) and scaled down, so
# the small images get smooth edges from one drawing.
# The shackle is a thick arch: an outer arch with the inner one cut away.
convert -size 384x384 xc:none -fill '#f4f8ff' \
  -draw 'circle 192,128 192,51' -draw 'rectangle 115,128 269,190' \
  \( -size 384x384 xc:none -fill black \
     -draw 'circle 192,128 192,167' -draw 'rectangle 153,128 231,200' \) \
  -compose DstOut -composite "$work/shackle.png"
convert -size 384x384 gradient:'#4b90f2-#173f94' \
  \( -size 384x384 xc:black -fill white -draw 'roundrectangle 8,8 375,375 72,72' \) \
  -alpha off -compose CopyOpacity -composite -compose Over \
  -fill none -stroke '#0f2c6e' -strokewidth 10 -draw 'roundrectangle 13,13 370,370 68,68' \
  "$work/shackle.png" -composite \
  -stroke none -fill '#f4f8ff' -draw 'roundrectangle 88,170 296,326 26,26' \
  -fill '#173f94' -draw 'circle 192,230 192,258' -draw 'polygon 180,236 204,236 212,292 172,292' \
  "$work/big.png"

for size in 48 32 16; do
  convert "$work/big.png" -filter Lanczos -resize ${size}x${size} \
    -define png:color-type=6 "$work/icon$size.png"
done
# 32-bit images with alpha, largest first.
convert "$work/icon48.png" "$work/icon32.png" "$work/icon16.png" "$here/pellucorda.ico"
echo "wrote $here/pellucorda.ico"
