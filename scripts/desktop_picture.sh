#!/usr/bin/env bash
# Draws a desktop-like 1024 x 768 picture into the file named by $1 (any format
# ImageMagick writes): a wallpaper gradient, a column of icons with labels, an open
# window with a title bar, and a taskbar with a start button. The run command puts it on
# a private X server's root window; the preview picture uses it as the captured desktop.
set -euo pipefail
out=$1
icons=()
colours=('#f2c14e' '#4fb3bf' '#e4572e' '#76b041' '#9b5de5')
for i in 0 1 2 3 4; do
  y=$((30 + i * 90))
  icons+=(-fill "${colours[$i]}" -draw "roundrectangle 30,$y 78,$((y + 48)) 6,6"
          -fill white -draw "rectangle 22,$((y + 56)) 86,$((y + 66))")
done
convert -size 1024x768 gradient:'#3a7bd5'-'#00d2ff' \
  "${icons[@]}" \
  -fill '#f4f4f4' -draw "rectangle 300,140 860,560" \
  -fill '#1f4e9c' -draw "rectangle 300,140 860,172" \
  -fill '#c8d6e5' -draw "rectangle 320,200 840,230" -draw "rectangle 320,250 700,280" \
  -draw "rectangle 320,300 800,330" -draw "rectangle 320,350 640,380" \
  -fill '#d0d0d0' -draw "rectangle 0,738 1023,767" \
  -fill '#2e8b57' -draw "rectangle 4,742 84,764" \
  -alpha off -type TrueColor "$out"
