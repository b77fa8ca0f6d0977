#!/usr/bin/env bash
# Makes the three window background pictures (JPEG) with ImageMagick and writes them into
# src/ui/resources/backgrounds/. The results are committed; run again only to change them.
# Fixed seeds keep the output the same from run to run.
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/src/ui/resources/backgrounds"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
jpeg=(-strip -interlace none -sampling-factor 4:2:0 -quality 78)

# Grey noise of WxH with seed S; TrueColor throughout so nothing is taken for linear grey.
noise() { convert -size "$1x$2" xc:gray50 -seed "$3" -attenuate "$4" +noise Gaussian -modulate 100,0 -type TrueColor "$5"; }

# Table: dark green baize. Fine short fibres lying every way, a slow mottling as in real felt,
# and a gentle darkening towards the edges; dark enough for the table's light texts to read
# at 4.5:1 and more.
noise 782 474 11 1 "$tmp/n1.png"
convert "$tmp/n1.png" \( +clone -motion-blur 0x2+30 \) \( -clone 0 -motion-blur 0x2+120 \) \
    \( -clone 0 -blur 0x0.7 \) -delete 0 -evaluate-sequence mean -contrast-stretch 0.5%x0.5% "$tmp/fine.png"
noise 782 474 12 3 "$tmp/n2.png"
convert "$tmp/n2.png" -virtual-pixel tile -blur 0x20 -contrast-stretch 0.5%x0.5% "$tmp/mottle.png"
convert "$tmp/fine.png" "$tmp/mottle.png" -compose blend -define compose:args=70 -composite -type TrueColor \
    +level-colors '#124426,#2b7543' "$tmp/felt.png"
convert -size 782x474 radial-gradient:white-black -type TrueColor +level 80%,100% "$tmp/shade.png"
convert "$tmp/felt.png" "$tmp/shade.png" -compose multiply -composite "${jpeg[@]}" "$out/table.jpg"

# Side windows: pale sage linen, seamless (every step wraps around) so it tiles behind windows
# of any size.
noise 360 500 23 1 "$tmp/n3.png"
convert "$tmp/n3.png" -virtual-pixel tile \( +clone -motion-blur 0x4+0 \) \( -clone 0 -motion-blur 0x4+90 \) \
    -delete 0 -evaluate-sequence mean -contrast-stretch 0.5%x0.5% -type TrueColor \
    +level-colors '#c6d2bc,#e8eee2' "${jpeg[@]}" "$out/side.jpg"

# Trump panel: dark oak with a long wavy grain and a darker rim, under a white caption.
noise 417 160 5 1 "$tmp/n4.png"
convert "$tmp/n4.png" -virtual-pixel mirror -motion-blur 0x60+0 -contrast-stretch 0.5%x0.5% \
    -wave 4x300 -gravity center -crop 417x133+0+0 +repage -blur 0x0.5 -type TrueColor \
    +level-colors '#5e3719,#8e5c30' "$tmp/wood.png"
convert -size 417x133 xc:white -fill none -stroke '#6a3c18' -strokewidth 8 \
    -draw 'rectangle 0,0 416,132' -blur 0x4 -type TrueColor "$tmp/rim.png"
convert "$tmp/wood.png" "$tmp/rim.png" -compose multiply -composite "${jpeg[@]}" "$out/trump.jpg"

ls -l "$out"
