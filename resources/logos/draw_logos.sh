#!/usr/bin/env bash
# Draws the branding logos: small wordmarks of the fictional vendors that the
# brandings name (an emblem of line-sensor pixels with an edge, then the name).
# One picture per branding that shows one: 2 and 4 sit on the blue band, 3 and
# 6 on white. Branding 3 has no vendor lines; it carries the light variant of 2.
# The band places them at a fixed spot, so every picture is 160 x 24 pixels.
# Run from anywhere; writes logo2.png, logo3.png, logo4.png and logo6.png beside
# this script. Needs ImageMagick 6 and the DejaVu fonts (scripts/setup.sh).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$here}"

for font in DejaVu-Sans-Bold DejaVu-Sans; do
  if ! convert -list font | grep -q "Font: ${font}\$"; then
    echo "draw_logos: font ${font} not found (install fonts-dejavu-core)" >&2
    exit 1
  fi
done

W=160
H=24
BLUE='rgb(0,128,255)'
GREY='rgb(70,70,70)'

# Six pixels of a CCD line: three lit, an edge, three dark; drawn from x0.
emblem() {
  local x0=$1 colour=$2 d=""
  local i x top
  for i in 0 1 2 3 4 5; do
    x=$((x0 + i * 4))
    if [ "$i" -lt 3 ]; then top=3; else top=13; fi
    d+="rectangle ${x},${top} $((x + 1)),20 "
  done
  printf -- '-fill %s -draw "%s"' "$colour" "$d"
}

# Writes one PNG without time stamps, so a redraw gives the same bytes.
save() {
  convert "$@" -strip -define png:exclude-chunk=date,time,tIME "PNG32:$out/$last"
}

draw() {
  last=$1; shift
  eval "save -size ${W}x${H} xc:none $*"
}

# Branding 2: white on the blue band.
draw logo2.png "$(emblem 1 white)" \
  -font DejaVu-Sans-Bold -pointsize 17 -kerning 2 -fill white -annotate +30+19 DUVEV

# Branding 3: the same vendor on white, blue emblem and grey name.
draw logo3.png "$(emblem 1 "'$BLUE'")" \
  -font DejaVu-Sans-Bold -pointsize 17 -kerning 2 -fill "'$GREY'" -annotate +30+19 DUVEV

# Branding 4: a white badge on the blue band, emblem and name in blue.
draw logo4.png -fill white -draw "'roundrectangle 0,0 $((W - 1)),$((H - 1)) 6,6'" \
  "$(emblem 6 "'$BLUE'")" \
  -font DejaVu-Sans-Bold -pointsize 14 -kerning 1 -fill "'$BLUE'" -annotate +35+17 LUMENLINE

# Branding 6: grey emblem and blue name on white.
draw logo6.png "$(emblem 1 "'$GREY'")" \
  -font DejaVu-Sans-Bold -pointsize 14 -kerning 0.5 -fill "'$BLUE'" -annotate +29+18 KANTENWERK
