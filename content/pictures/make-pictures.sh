#!/usr/bin/env bash
# Draws the wizard's pictures with ImageMagick (convert) and the DejaVu fonts.
# Run once after changing the design; the JPEG files are committed and the
# build does not run this script.
#
# Sizes are those at which the wizard's controls show the pictures (8-point
# dialog font at 96 DPI: one horizontal dialog unit is 1.5 px, one vertical
# 1.625 px):
#   banner.jpg           banner, 459 x 36 units      -> 689 x 59
#   strip-*.jpg          step strip, 459 x 14 units  -> 689 x 23
#   welcome.jpg          message page, 126 x 260     -> 189 x 423
#   offer.jpg            offer page picture, shown at 160 x 160 by the template
# The strips mark the wizard's four steps; the -rtl variants run from right to
# left for right-to-left languages.
set -euo pipefail
cd "$(dirname "$0")"

BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
BOOK=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
for font in "$BOLD" "$BOOK"; do
    [[ -f "$font" ]] || { echo "make-pictures: missing font $font (Debian package fonts-dejavu-core)" >&2; exit 1; }
done

TEAL_DARK='#0b3a47'
TEAL='#13655f'
TEAL_LIGHT='#3fa39a'
AMBER='#f2a541'
MIST='#e9f2f1'
GREY='#b8c7c5'

save() {  # save SOURCE TARGET: baseline JPEG, small, no metadata
    convert "$1" -strip -interlace none -sampling-factor 4:2:0 -quality 88 "$2"
    rm -f "$1"
}

# An open stroke as MVG line primitives (convert closes open paths when it
# strokes them). open_path 'M x,y L x,y Q cx,cy x,y ...'
open_path() {
    echo "$1" | awk '{
        out = "stroke-linecap round stroke-linejoin round"
        for (i = 1; i <= NF; i++) {
            if ($i == "M") { split($(++i), p, ","); x = p[1]; y = p[2] }
            else if ($i == "L") { split($(++i), p, ","); out = out sprintf(" line %s,%s %s,%s", x, y, p[1], p[2]); x = p[1]; y = p[2] }
            else if ($i == "Q") {
                split($(++i), c, ","); split($(++i), p, ",")
                for (k = 1; k <= 16; k++) { t = k / 16; u = 1 - t
                    nx = u*u*x + 2*u*t*c[1] + t*t*p[1]; ny = u*u*y + 2*u*t*c[2] + t*t*p[2]
                    out = out sprintf(" line %.1f,%.1f %.1f,%.1f", x, y, nx, ny); x = nx; y = ny }
            }
        }
        print out }'
}

# The product's mark: an amber rounded square with three rising bars and a
# wing-like stroke. mark SIZE FILE
mark() {
    local size=$1 file=$2
    local r=$((size / 5)) b=$((size / 7))
    convert -size "${size}x${size}" xc:none \
        -fill "$AMBER" -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $r,$r" \
        -fill white \
        -draw "rectangle $((size * 22 / 100)),$((size * 58 / 100)) $((size * 22 / 100 + b)),$((size * 80 / 100))" \
        -draw "rectangle $((size * 44 / 100)),$((size * 44 / 100)) $((size * 44 / 100 + b)),$((size * 80 / 100))" \
        -draw "rectangle $((size * 66 / 100)),$((size * 28 / 100)) $((size * 66 / 100 + b)),$((size * 80 / 100))" \
        -fill none -stroke "$TEAL_DARK" -strokewidth $((size / 16 + 1)) \
        -draw "$(open_path "M $((size * 14 / 100)),$((size * 46 / 100)) Q $((size * 40 / 100)),$((size * 20 / 100)) $((size * 86 / 100)),$((size * 16 / 100))")" \
        "$file"
}

# Banner: deep teal gradient, soft diagonal light, the mark and the word mark.
mark 40 mark-banner.png
convert -size 689x59 gradient:"$TEAL_DARK"-"$TEAL" -rotate 90 -flop -resize 689x59\! \
    \( -size 689x59 xc:none -fill 'rgba(255,255,255,0.06)' \
       -draw "polygon 430,0 520,0 460,59 370,59" -draw "polygon 540,0 580,0 520,59 480,59" \
       -draw "polygon 600,0 689,0 689,12 630,59 560,59" \) -composite \
    mark-banner.png -geometry +18+10 -composite \
    -font "$BOLD" -pointsize 25 -fill white -annotate +70+38 'Kestrafin' \
    -font "$BOOK" -pointsize 11 -fill "$MIST" -annotate +208+37 'by Quillmark' \
    -fill 'rgba(242,165,65,0.9)' -draw "rectangle 0,56 689,58" \
    banner.png
save banner.png banner.jpg
rm -f mark-banner.png

# Strips: four steps (welcome, offer, install, finished) on a light band;
# steps done are teal, the current one amber with a ring, the rest grey.
strip() {  # strip CURRENT NAME
    local current=$1 name=$2
    local -a x=(86 258 430 602)
    local y=11 args=()
    args+=(-stroke "$GREY" -strokewidth 2 -draw "line ${x[0]},$y ${x[3]},$y")
    if ((current > 0)); then
        args+=(-stroke "$TEAL_LIGHT" -strokewidth 3 -draw "line ${x[0]},$y ${x[current]},$y")
    fi
    for step in 0 1 2 3; do
        local cx=${x[step]}
        if ((step < current)); then
            args+=(-stroke none -fill "$TEAL" -draw "circle $cx,$y $((cx + 5)),$y")
        elif ((step == current)); then
            args+=(-stroke "$AMBER" -strokewidth 2 -fill white -draw "circle $cx,$y $((cx + 8)),$y"
                   -stroke none -fill "$AMBER" -draw "circle $cx,$y $((cx + 5)),$y")
        else
            args+=(-stroke "$GREY" -strokewidth 2 -fill white -draw "circle $cx,$y $((cx + 4)),$y")
        fi
    done
    convert -size 689x23 gradient:white-"$MIST" "${args[@]}" \
        -stroke none -fill "$GREY" -draw "rectangle 0,22 689,22" "strip-$name.png"
    convert "strip-$name.png" -flop "strip-$name-rtl.png"
    save "strip-$name.png" "strip-$name.jpg"
    save "strip-$name-rtl.png" "strip-$name-rtl.jpg"
}
strip 0 welcome
strip 1 offer
strip 2 install
strip 3 finished

# Message page: a tall panel with the mark, the word mark, and a small
# dashboard card (bars, a rising line and coins) under a glow.
mark 64 mark-page.png
convert -size 189x423 gradient:"$TEAL"-"$TEAL_DARK" \
    \( -size 189x423 xc:none -fill 'rgba(255,255,255,0.07)' \
       -draw "circle 160,60 160,190" -draw "circle 20,400 20,470" \) -composite \
    mark-page.png -geometry +62+48 -composite \
    -font "$BOLD" -pointsize 21 -fill white -gravity north -annotate +0+126 'Kestrafin' \
    -font "$BOOK" -pointsize 10 -fill "$MIST" -annotate +0+156 'by Quillmark' \
    -gravity northwest \
    -fill 'rgba(255,255,255,0.95)' -draw "roundrectangle 24,200 164,330 10,10" \
    -fill "$MIST" -draw "rectangle 38,216 150,218" -draw "rectangle 38,226 110,228" \
    -fill "$TEAL_LIGHT" -draw "rectangle 42,288 54,316" -draw "rectangle 62,276 74,316" \
    -draw "rectangle 82,296 94,316" -draw "rectangle 102,266 114,316" -draw "rectangle 122,256 134,316" \
    -fill none -stroke "$AMBER" -strokewidth 3 \
    -draw "$(open_path 'M 40,268 L 68,258 L 88,270 L 108,248 L 146,240')" \
    -stroke none -fill "$AMBER" -draw "circle 146,240 150,240" \
    -fill "$AMBER" -draw "ellipse 70,372 22,8 0,360" -draw "ellipse 70,364 22,8 0,360" \
    -fill '#f7c173' -draw "ellipse 70,356 22,8 0,360" \
    -fill "$AMBER" -draw "ellipse 118,380 18,7 0,360" -fill '#f7c173' -draw "ellipse 118,373 18,7 0,360" \
    welcome.png
save welcome.png welcome.jpg
rm -f mark-page.png

# Offer: the partner's backup product, a shield with a padlock above waves.
convert -size 160x160 xc:white \
    -fill '#e6f0fb' -draw "circle 80,80 80,6" \
    -fill '#2b6cb0' -draw "path 'M 80,26 L 122,40 L 122,78 Q 122,114 80,134 Q 38,114 38,78 L 38,40 Z'" \
    -fill '#4a90d9' -draw "path 'M 80,26 L 122,40 L 122,78 Q 122,114 80,134 Z'" \
    -fill none -stroke white -strokewidth 6 -draw "$(open_path 'M 67,74 L 67,62 Q 67,50 80,50 Q 93,50 93,62 L 93,74')" \
    -stroke none -fill white -draw "roundrectangle 60,72 100,104 5,5" \
    -fill '#2b6cb0' -draw "circle 80,85 80,90" -draw "rectangle 78,86 82,96" \
    -fill none -stroke '#4a90d9' -strokewidth 4 \
    -draw "$(open_path 'M 22,142 Q 36,132 50,142 Q 64,152 78,142 Q 92,132 106,142 Q 120,152 138,142')" \
    offer.png
save offer.png offer.jpg

ls -l ./*.jpg
