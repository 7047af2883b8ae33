#!/usr/bin/env bash
# Regenerates saver/resources/preview.bmp, the 152 x 112 still picture that Glowmere.scr
# shows in the control panel's preview pane, from a real frame of our own saver:
#
#  1. builds the programs (scripts/build.sh);
#  2. starts a private Xvfb (1024 x 768) showing a desktop-like picture
#     (scripts/desktop_picture.sh), and a Wine prefix of its own under
#     build/preview-picture/ (made once, about 10 s);
#  3. runs "Glowmere.scr /s" as the system would: the shell captures that desktop and hands
#     it with its spirit picture to the renderer;
#  4. waits until spirits have had time to gather (GLOWMERE_PREVIEW_DELAY seconds after the
#     renderer's window appears, 5 by default), takes a screenshot and ends the run with
#     Escape;
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
delay=${GLOWMERE_PREVIEW_DELAY:-5}

scripts/setup.sh
scripts/build.sh >/dev/null

mkdir -p "$work"
export WINEPREFIX=$work/prefix LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A private X server on a free display number; Xvfb writes the number to fd 5 when ready.
rm -f "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
run_pid=""
cleanup() {
  [ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null || true
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
mkdir -p "$drive_c/Glowmere"
cp build/win64/bin/Glowmere.scr build/win64/bin/Glowmere.dll "$drive_c/Glowmere/"

scripts/desktop_picture.sh "$work/desktop.png"
display -window root "$work/desktop.png" || true   # it paints the root, then exits with 1

echo "make_preview_picture: running Glowmere.scr /s on $DISPLAY"
(cd "$drive_c/Glowmere" && exec wine Glowmere.scr /s) &
run_pid=$!
if ! xdotool search --sync --limit 1 --name '^Lumadrift_VC$' >/dev/null 2>&1; then
  echo "make_preview_picture: the renderer's window did not appear"; exit 1
fi
sleep "$delay"
import -window root "$work/frame.png"

xdotool search --limit 1 --name '^Lumadrift_VC$' windowfocus --sync >/dev/null 2>&1 || true
xdotool key Escape
for _ in $(seq 1 100); do
  kill -0 "$run_pid" 2>/dev/null || break
  sleep 0.1
done
run_pid=""

convert "$work/frame.png" -resize '152x114!' -gravity center -crop 152x112+0+0 +repage \
  -alpha off -type TrueColor "BMP3:$out"
echo "make_preview_picture: wrote $out from $work/frame.png"
identify "$out"
