#!/usr/bin/env bash
# Draws the program's icons with ImageMagick and writes them into resources/.
# The .ico files are committed, so a build never needs ImageMagick; run this
# only after changing a picture here, then look at the result and commit it.
#
#   tools/make-icons.sh [output-dir]     (default: <repo>/resources)
#
# Every picture is drawn on a 32-unit grid at 8x (256 px; stroke widths are in
# grid units because the scale applies to them too) and scaled down, so
# the edges come out antialiased in 32-bit colour with alpha.
#   volmaru.ico        application and tray icon: speaker with blue sound waves
#                      (16x16 and 32x32)
#   Data/mute.ico      the same speaker with a red cross instead of the waves
#                      (16x16 and 32x32)
#   Data/speaker2.ico  a translucent dark speaker on transparency (32x32); the
#                      tray code draws it over the icon's background colour and
#                      the volume as a number on top
#   Data/Hand.cur      the version window's link cursor: a white pointing hand
#                      with a black outline (32x32, crisp edges), hot spot at
#                      the tip of the index finger
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$repo/resources}
mkdir -p "$out/Data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Speaker outline on the 32 grid: magnet box and cone.
body='roundrectangle 3,11.5 10.5,20.5 1.2,1.2'
cone='polygon 9.5,11.5 18.5,4 18.5,28 9.5,20.5'

canvas() { convert -size 256x256 xc:none "$@"; }

# waves <png> <colour> <radius:width>...: speaker picture <png> with open sound
# waves around the cone's mouth (16,16) from -40 to +40 degrees. Each wave is
# a ring cut to a wedge through a mask: ImageMagick 6.9.11 closes thick stroked
# arcs and polylines into filled chords, so they cannot be stroked directly.
waves() {
  local src=$1 colour=$2 mask=$work/wavemask.png
  shift 2
  convert -size 256x256 xc:black "$mask"
  local rw r w
  for rw in "$@"; do
    r=${rw%%:*} w=${rw##*:}
    convert "$mask" \( -size 256x256 xc:black -fill white \
        -draw "scale 8,8 circle 16,16 $(awk -v r="$r" -v w="$w" 'BEGIN { printf "%.2f,16", 16 + r + w / 2 }')" \
        -fill black \
        -draw "scale 8,8 circle 16,16 $(awk -v r="$r" -v w="$w" 'BEGIN { printf "%.2f,16", 16 + r - w / 2 }')" \) \
      -compose Lighten -composite "$mask"
  done
  # Keep the wedge only: tan(40 deg) = 0.839 from the mouth to the right edge.
  convert "$mask" \( -size 256x256 xc:black -fill white \
      -draw "scale 8,8 polygon 16,16 32,2.58 32,29.42" \) -compose Multiply -composite "$mask"
  convert -size 256x256 "xc:$colour" "$mask" -alpha off -compose CopyOpacity -composite \
    "$src" +swap -compose Over -composite "PNG32:$src"
}

# speaker <png> <fill> <edge>: the speaker alone, 256 px.
speaker() {
  canvas -fill "$2" -stroke "$3" -strokewidth 1 \
    -draw "scale 8,8 $body" -draw "scale 8,8 $cone" "PNG32:$1"
}

shrink() {  # shrink <src> <size> <dst>
  convert "$1" -filter Lanczos -resize "$2x$2" -strip "PNG32:$3"
}

# Application icon: dark speaker, two blue waves.
speaker "$work/spk.png" '#37474f' '#263238'
cp "$work/spk.png" "$work/app.png"
waves "$work/app.png" '#1e88e5' 6:2.4 11:2.4
# At 16 px two thin waves blur into one: draw a single thicker wave there.
cp "$work/spk.png" "$work/app_small.png"
waves "$work/app_small.png" '#1e88e5' 8.5:4.2
shrink "$work/app.png" 32 "$work/app32.png"
shrink "$work/app_small.png" 16 "$work/app16.png"
convert "$work/app16.png" "$work/app32.png" "$out/volmaru.ico"

# Mute icon: the same speaker, red cross on the right.
convert "$work/spk.png" -fill none -stroke '#e53935' -strokewidth 3.4 \
  -draw "stroke-linecap round scale 8,8 line 22,11 29.5,21" -draw "stroke-linecap round scale 8,8 line 29.5,11 22,21" "PNG32:$work/mute.png"
shrink "$work/mute.png" 32 "$work/mute32.png"
shrink "$work/mute.png" 16 "$work/mute16.png"
convert "$work/mute16.png" "$work/mute32.png" "$out/Data/mute.ico"

# Number picture: a translucent dark speaker on a transparent square, so the
# icon's background colour (which can differ per device) shows all round
# and through it, and the white number stays readable on top.
canvas -fill '#00000066' -stroke none \
  -draw "scale 8,8 roundrectangle 4,11.5 12,20.5 1,1" \
  -draw "scale 8,8 polygon 11,11.5 22,3.5 22,28.5 11,20.5" "PNG32:$work/plate.png"
shrink "$work/plate.png" 32 "$work/plate32.png"
convert "$work/plate32.png" "$out/Data/speaker2.ico"

# Link cursor, drawn at its own size without antialiasing: every shape black
# and one pixel larger first, then all of them white, so only the outline of
# their union stays black; three short lines part the fingers.
hand=(
  'roundrectangle 5,1 8,17 1.5,1.5' 'roundrectangle 8,6 11,17 1.5,1.5' 'roundrectangle 11,7 14,17 1.5,1.5'
  'roundrectangle 14,9 17,18 1.5,1.5' 'roundrectangle 5,13 17,25 3,3'
  'polygon 5.5,16 2.2,12.2 0.8,13.6 3.5,20.5 6,23'
)
draws=()
for s in "${hand[@]}"; do draws+=(-draw "$s"); done
convert -size 32x32 xc:none +antialias -fill black -stroke black -strokewidth 2 "${draws[@]}" \
  -stroke none -fill white "${draws[@]}" \
  -stroke black -strokewidth 1 -draw "line 8,8 8,13" -draw "line 11,9 11,13" -draw "line 14,11 14,14" \
  "PNG32:$work/hand.png"
convert "$work/hand.png" "ICO:$out/Data/Hand.cur"
# An .ico and a .cur differ in the header only: the type (1 -> 2) and, in the
# image entry, the hot spot where an icon keeps its planes and bit count.
printf '\x02\x00' | dd of="$out/Data/Hand.cur" bs=1 seek=2 conv=notrunc status=none
printf '\x06\x00\x01\x00' | dd of="$out/Data/Hand.cur" bs=1 seek=10 conv=notrunc status=none

for f in "$out/volmaru.ico" "$out/Data/mute.ico" "$out/Data/speaker2.ico" "$out/Data/Hand.cur"; do
  identify -format "%f %wx%h %[channels] %z-bit\n" "$f"
done
