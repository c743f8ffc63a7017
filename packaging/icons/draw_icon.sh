#!/usr/bin/env bash
# Draws the program's icon as PNG files of 48, 128 and 256 pixels: the same
# picture as kvor-icon.svg (a CCD line of eight pixels on the band's blue, four
# lit, four dark, and the edge between them), drawn on a 64-unit grid.
# Run from anywhere; writes kvor-icon-<size>.png beside this script. Needs
# ImageMagick 6 (scripts/setup.sh).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$here}"

BLUE='#0080ff'
LIT='#ffffff'
DARK='#9cc9ff'
EDGE='#ffd21f'

# One grid unit is four pixels of the 256-pixel master; the smaller sizes are
# scaled down from it.
u() { echo $(( $1 * 4 )); }
rect() {  # x y width height -> the corners of a rectangle on the master
  printf 'rectangle %s,%s %s,%s ' "$(u "$1")" "$(u "$2")" $(( $(u "$1") + $(u "$3") - 1 )) \
    $(( $(u "$2") + $(u "$4") - 1 ))
}

lit="" dark=""
for i in 0 1 2 3; do
  lit+="$(rect $((9 + i * 6)) 14 4 32)"
  dark+="$(rect $((33 + i * 6)) 34 4 12)"
done

master="$(mktemp --suffix=.png)"
trap 'rm -f "$master"' EXIT
convert -size 256x256 xc:none \
  -fill "$BLUE" -draw "roundrectangle 8,8 247,247 48,48" \
  -fill "$LIT" -draw "$lit" \
  -fill "$DARK" -draw "$dark" \
  -fill "$LIT" -draw "$(rect 9 48 46 3)" \
  -fill "$EDGE" -draw "rectangle 125,36 130,211" \
  "PNG32:$master"

# Written without time stamps, so a redraw gives the same bytes.
for size in 48 128 256; do
  convert "$master" -filter Lanczos -resize "${size}x${size}" -strip \
    -define png:exclude-chunk=date,time,tIME "PNG32:$out/kvor-icon-$size.png"
done

# The Windows icon (the programs' resource, the installer, the Start menu):
# the three sizes in one .ico.
convert "$out/kvor-icon-256.png" "$out/kvor-icon-128.png" "$out/kvor-icon-48.png" "$out/kvor-icon.ico"
