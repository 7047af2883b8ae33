#!/usr/bin/env bash
# Regenerates saver/resources/preview.bmp, the 152 x 112 still picture that Glowmere.scr
# shows in the control panel's preview pane, from a real frame of our own renderer:
#
#  1. builds the programs (scripts/build.sh);
#  2. starts a private Xvfb (1024 x 768) and a Wine prefix of its own under
#     build/preview-picture/ (made once, about 10 s);
#  3. writes the two hand-off pictures the renderer reads: C:\n_hale\Lumadrift1.bmp, a
#     desktop-like 1024 x 768 picture (wallpaper, icons, a window, a taskbar), and
#     C:\n_hale\Lumadrift2.bmp, a 128 x 128 blue-white glow with star rays on black;
#  4. runs Glowmere.dll, waits until spirits have had time to gather (GLOWMERE_PREVIEW_DELAY
#     seconds after its window appears, 4 by default), takes a screenshot and ends the run
#     with Escape;
#  5. scales the frame to 152 x 114 (the screen's own aspect) and cuts 152 x 112 from its
#     middle, written as an uncompressed 24-bit BMP.
#
# The full frame is kept as build/preview-picture/frame.png for a look. Rerun this whenever
# the renderer's picture changes, then rebuild: the BMP is compiled into Glowmere.scr.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out=$top/saver/resources/preview.bmp
work=$top/build/preview-picture
delay=${GLOWMERE_PREVIEW_DELAY:-4}

scripts/setup.sh
scripts/build.sh >/dev/null

mkdir -p "$work"
export WINEPREFIX=$work/prefix LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A private X server on a free display number; Xvfb writes the number to fd 5 when ready.
rm -f "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
renderer_pid=""
cleanup() {
  [ -n "$renderer_pid" ] && kill "$renderer_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
display_number=""
for _ in $(seq 1 200); do
  display_number=$(tr -d '[:space:]' <"$work/display" 2>/dev/null || true)
  [ -n "$display_number" ] && break
  sleep 0.1
done
[ -n "$display_number" ] || { echo "make_preview_picture: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display_number"

if [ ! -d "$WINEPREFIX/drive_c" ]; then
  echo "make_preview_picture: creating the Wine prefix (once)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/n_hale" "$drive_c/Glowmere"
cp build/win64/bin/Glowmere.dll "$drive_c/Glowmere/"

# The desktop the run would have captured.
scripts/desktop_picture.sh "BMP3:$drive_c/n_hale/Lumadrift1.bmp"

# The spirit: a white point with a blue-white glow and thin rays, fading to black edges.
convert -size 128x128 xc:black -alpha off -fx \
  'd=hypot(i-63.5,j-63.5); glow=exp(-d*d/60)+0.55*exp(-d/11); rays=0.45*exp(-abs(j-63.5)*0.9)*exp(-abs(i-63.5)/30)+0.45*exp(-abs(i-63.5)*0.9)*exp(-abs(j-63.5)/30); min(1,glow+rays)' \
  -channel R -evaluate multiply 0.80 -channel G -evaluate multiply 0.90 +channel \
  -type TrueColor "BMP3:$drive_c/n_hale/Lumadrift2.bmp"

echo "make_preview_picture: running Glowmere.dll on $DISPLAY"
(cd "$drive_c/Glowmere" && exec wine Glowmere.dll) &
renderer_pid=$!
if ! xdotool search --sync --limit 1 --name '^Lumadrift_VC$' >/dev/null 2>&1; then
  echo "make_preview_picture: the renderer's window did not appear"; exit 1
fi
sleep "$delay"
import -window root "$work/frame.png"

xdotool search --limit 1 --name '^Lumadrift_VC$' windowfocus --sync >/dev/null 2>&1 || true
xdotool key Escape
for _ in $(seq 1 100); do
  kill -0 "$renderer_pid" 2>/dev/null || break
  sleep 0.1
done
renderer_pid=""

convert "$work/frame.png" -resize '152x114!' -gravity center -crop 152x112+0+0 +repage \
  -alpha off -type TrueColor "BMP3:$out"
echo "make_preview_picture: wrote $out from $work/frame.png"
identify "$out"
