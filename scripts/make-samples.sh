#!/usr/bin/env bash
# Draws the sample photos in samples/: a landscape, a portrait, a square, one
# stored on its side with an EXIF orientation of 6, and one with an accented
# file name. Simple shapes over gradients with a little grain, each well under
# 60 KB. Needs ImageMagick and exiftool.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=samples
CONVERT=/usr/bin/convert
mkdir -p "$OUT"

# Grain, so the pictures carry some detail for the encoder; then no metadata.
finish=(-seed 7 -attenuate 0.25 +noise Gaussian -strip -sampling-factor 2x2 -quality 80)

# Mountains under a setting sun.
$CONVERT -size 800x600 gradient:'#9fd3f5'-'#2b6cb0' \
  \( -size 800x200 gradient:'#e9d9a6'-'#c9a35a' \) -gravity south -composite \
  -fill '#ffb347' -draw "circle 620,140 670,140" \
  -fill '#1f4e79' -draw "polygon 0,410 200,300 410,400 600,330 800,410" \
  -fill '#f4f8fb' -draw "polygon 170,317 200,300 232,316 200,330" \
  "${finish[@]}" "$OUT/paysage.jpg"

# A lighthouse.
$CONVERT -size 480x640 gradient:'#cfe8f7'-'#5fa8d3' \
  \( -size 480x180 gradient:'#3d7ea6'-'#1b3f5e' \) -gravity south -composite \
  -fill '#8c8c8c' -draw "rectangle 150,430 330,470" \
  -fill '#ffffff' -draw "polygon 200,430 215,170 265,170 280,430" \
  -fill '#d62828' -draw "polygon 207,330 211,260 269,260 273,330" \
  -fill '#d62828' -draw "polygon 213,200 215,170 265,170 267,200" \
  -fill '#333333' -draw "rectangle 222,130 258,170" \
  -fill '#ffe066' -draw "rectangle 228,138 252,162" \
  "${finish[@]}" "$OUT/portrait.jpg"

# A flower.
$CONVERT -size 500x500 radial-gradient:'#f7fff0'-'#7fb069' \
  -fill '#2d6a4f' -draw "rectangle 244,250 256,500" \
  -fill '#ff70a6' -draw "circle 250,170 250,230" -draw "circle 330,250 390,250" \
  -draw "circle 250,330 250,390" -draw "circle 170,250 110,250" \
  -fill '#ffd670' -draw "circle 250,250 250,300" \
  "${finish[@]}" "$OUT/carre.jpg"

# A house drawn upright (portrait), stored turned a quarter left: a viewer
# that honours the EXIF orientation 6 turns it back upright.
$CONVERT -size 480x640 gradient:'#bde0fe'-'#a2d2ff' \
  \( -size 480x200 gradient:'#95d5b2'-'#40916c' \) -gravity south -composite \
  -fill '#e76f51' -draw "polygon 90,300 240,170 390,300" \
  -fill '#f4a261' -draw "rectangle 120,300 360,470" \
  -fill '#6b4226' -draw "rectangle 215,380 265,470" \
  -fill '#caf0f8' -draw "rectangle 145,330 195,370" -draw "rectangle 285,330 335,370" \
  -rotate -90 "${finish[@]}" "$OUT/tourne.jpg"
exiftool -q -Orientation=6 -n -overwrite_original "$OUT/tourne.jpg"

# A beach, under an accented file name.
$CONVERT -size 640x480 gradient:'#8ecae6'-'#219ebc' \
  \( -size 640x150 gradient:'#2a9d8f'-'#1d6f75' \) -gravity center -geometry +0+40 -composite \
  \( -size 640x140 gradient:'#f6e7c1'-'#e9c46a' \) -gravity south -geometry +0+0 -composite \
  -fill '#ffd60a' -draw "circle 110,90 150,90" \
  -fill '#6c584c' -draw "line 430,230 470,400" \
  -fill '#e63946' -draw "polygon 340,250 430,200 520,230" \
  "${finish[@]}" "$OUT/Été à la plage.jpg"

ls -l "$OUT"
